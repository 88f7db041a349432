#include "input/text_lines.h"

namespace varnel {

bool TextLines::ReadLine(std::string& line, std::size_t maxLength, bool& cut) {
    line.clear();
    cut = false;
    if (reader_.AtEnd()) return false;
    for (std::string_view bytes; !(bytes = reader_.Buffered()).empty();) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\n') {
                reader_.Skip(i + 1);
                return true;
            }
            if (c == '\r') {  // dropped, whether it ends the line or not
                const bool last = i + 1 == bytes.size();
                loneCarriageReturn_ = loneCarriageReturn_ || (!last && bytes[i + 1] != '\n');
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
