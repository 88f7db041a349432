#include "input/json_input.h"

namespace varnel {

namespace {

bool IsJsonBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool StartsNumber(int c) { return c == '-' || (c >= '0' && c <= '9'); }

}  // namespace

int JsonInput::RawNext() {
    if (position_ == filled_) {
        filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        position_ = 0;
        if (filled_ == 0) return EOF;
    }
    ++bytesRead_;
    return static_cast<unsigned char>(buffer_[position_++]);
}

void JsonInput::Load() {
    loaded_ = true;
    for (;;) {
        const int c = current_ = RawNext();
        if (c == EOF || overlong_) {
            current_ = EOF;
            return;
        }
        if (inString_) {
            inString_ = escaped_ || c != '"';
            escaped_ = !escaped_ && c == '\\';
            return;
        }
        blankRun_ = IsJsonBlank(c) ? blankRun_ + 1 : 0;
        if (blankRun_ > kKeptJsonBlanks) continue;
        if (c == '"' || StartsNumber(c)) {
            inString_ = c == '"';
            sinceValue_ = 0;
        } else if (++sinceValue_ > kLongestJsonRunWithoutValue) {
            overlong_ = true;
            current_ = EOF;
        }
        return;
    }
}

}  // namespace varnel
