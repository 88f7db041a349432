#include "cli/terminal_text.h"

#include <iostream>
#include <streambuf>

namespace varnel::cli {

namespace {

// Filters what is written through it into the stream buffer it replaced, at each flush (the
// standard error flushes after every output operation, so a character of several bytes
// arrives whole).
class SafeBuffer : public std::streambuf {
public:
    explicit SafeBuffer(std::streambuf* target) : target_(target) {}

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) pending_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        const std::string text = TerminalSafe(pending_);
        pending_.clear();
        target_->sputn(text.data(), static_cast<std::streamsize>(text.size()));
        return target_->pubsync();
    }

private:
    std::streambuf* target_;
    std::string pending_;
};

constexpr const char* kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\n' && c != '\t') {
            safe += "\xE2\x90";  // U+2400 + c
            safe += static_cast<char>(0x80 + c);
        } else if (c == 0x7F) {
            safe += "\xE2\x90\xA1";
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            safe += kReplacement;  // a C1 control
            ++i;
        } else if (c == 0xE2 && i + 2 < text.size() &&
                   ((text[i + 1] == '\x80' && static_cast<unsigned char>(text[i + 2]) >= 0xAA &&
                     static_cast<unsigned char>(text[i + 2]) <= 0xAE) ||
                    (text[i + 1] == '\x81' && static_cast<unsigned char>(text[i + 2]) >= 0xA6 &&
                     static_cast<unsigned char>(text[i + 2]) <= 0xA9))) {
            safe += kReplacement;  // U+202A … U+202E, U+2066 … U+2069
            i += 2;
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}

void FilterStandardError() {
    // Never destroyed: the standard streams are flushed at exit after every static object of
    // the program has gone, and std::cerr must still find its buffer then.
    static SafeBuffer* const buffer = new SafeBuffer(std::cerr.rdbuf());
    std::cerr.rdbuf(buffer);
    std::cerr.setf(std::ios::unitbuf);
}

}  // namespace varnel::cli
