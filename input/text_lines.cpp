#include "input/text_lines.h"

namespace varnel {

bool TextLines::ReadLine(std::string& line, std::size_t maxLength, bool& cut) {
    line.clear();
    cut = false;
    if (reader_.AtEnd()) return false;
    for (std::string_view bytes; !(bytes = reader_.Buffered()).empty();) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            // A CR that ended the bytes buffered before ends no line unless an LF follows it.
            loneCarriageReturn_ = loneCarriageReturn_ || (afterCarriageReturn_ && c != '\n');
            afterCarriageReturn_ = false;
            if (c == '\n') {
                reader_.Skip(i + 1);
                return true;
            }
            if (c == '\r') {  // dropped, whether it ends the line or not
                afterCarriageReturn_ = true;
                continue;
            }
            if (line.size() == maxLength) {
                reader_.Skip(i);
                cut = true;  // the rest of the line stays unread
                return true;
            }
            line.push_back(c);
        }
        reader_.Skip(bytes.size());
    }
    return true;
}

}  // namespace varnel
