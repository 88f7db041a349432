#include "cli/terminal_text.h"

#include <iostream>
#include <streambuf>

namespace varnel::cli {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence at `at` and its length; a stray byte stands for itself.
char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) length = 1;
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(static_cast<unsigned char>(text[at + k]))) length = 1;
    }
    if (length == 1) return lead;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (text[at + k] & 0x3F);
    return code;
}

// East Asian wide and fullwidth characters (Hangul Jamo, CJK, Hangul, fullwidth forms, the
// supplementary ideographic planes) take two columns.
std::size_t ColumnsOf(char32_t code) {
    const bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                      (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                      (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                      (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
    return wide ? 2 : 1;
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0, length = 0; at < text.size(); at += length)
        width += ColumnsOf(CodePointAt(text, at, length));
    return width;
}

std::string KeepEndWithin(std::string_view text, std::size_t columns) {
    if (DisplayWidth(text) <= columns) return std::string(text);
    const std::size_t room = columns > 3 ? columns - 3 : 0;
    // Characters are taken from the end while they fit; `start` stays on a character's first byte.
    std::size_t start = text.size(), width = 0;
    while (start > 0) {
        std::size_t begin = start - 1;
        while (begin > 0 && start - begin < 4 &&
               IsContinuation(static_cast<unsigned char>(text[begin])))
            --begin;
        std::size_t length = 0;
        char32_t code = CodePointAt(text, begin, length);
        if (begin + length != start) {  // not one whole sequence: the last byte alone
            begin = start - 1;
            code = static_cast<unsigned char>(text[begin]);
        }
        if (width + ColumnsOf(code) > room) break;
        width += ColumnsOf(code);
        start = begin;
    }
    return "..." + std::string(text.substr(start));
}

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
