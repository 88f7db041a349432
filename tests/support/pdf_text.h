#pragma once

#include <cstdio>
#include <string>

namespace varnel::testing_support {

/// The text of the PDF at `path` as poppler's pdftotext lays it out (VARNEL_PDFTOTEXT, rows kept
/// in place), every run of blanks and line ends collapsed to one blank so that a line is found
/// whatever the spacing of its columns.
inline std::string PdfText(const std::string& path) {
    std::string text;
    const std::string command = std::string(VARNEL_PDFTOTEXT) + " -layout '" + path + "' -";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        const bool blank = c == ' ' || c == '\n' || c == '\f';
        if (!blank) text += static_cast<char>(c);
        if (blank && !text.empty() && text.back() != ' ') text += ' ';
    }
    pclose(pipe);
    return text;
}

/// `line` with each run of blanks collapsed to one, as PdfText gives it.
inline std::string CollapsedBlanks(const std::string& line) {
    std::string text;
    for (const char c : line) {
        if (c != ' ' || (!text.empty() && text.back() != ' ')) text += c;
    }
    return text;
}

}  // namespace varnel::testing_support
