#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <vector>

namespace varnel {

/// Blanks of one run outside strings that reach the JSON parser; the rest of the run is dropped.
inline constexpr std::size_t kKeptJsonBlanks = 1024;
/// Bytes outside strings after the last string or number at which the input ends, overlong.
inline constexpr std::size_t kLongestJsonRunWithoutValue = std::size_t{1} << 20;

/// The bytes of a JSON file as the parser is to see them. The parser keeps the text of its
/// current token, and a token only ends that at a string or a number: so a run of blanks outside
/// strings is passed on up to kKeptJsonBlanks bytes (any run of an ordinary file whole), and
/// more than kLongestJsonRunWithoutValue other bytes without a string or number end the input
/// early with Overlong() set. Memory stays within those bounds whatever the file.
class JsonInput {
public:
    explicit JsonInput(std::FILE* file) : file_(file), buffer_(kBufferSize) {}

    /// An input iterator over the filtered bytes, for the parser's iterator interface.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = char;

        explicit Iterator(JsonInput* input = nullptr) : input_(input) {}
        char operator*() const { return static_cast<char>(input_->Current()); }
        Iterator& operator++() {
            input_->Advance();
            return *this;
        }
        bool operator==(const Iterator& other) const { return AtEnd() == other.AtEnd(); }
        bool operator!=(const Iterator& other) const { return !(*this == other); }

    private:
        bool AtEnd() const { return input_ == nullptr || input_->Current() == EOF; }
        JsonInput* input_;
    };

    Iterator begin() { return Iterator(this); }
    Iterator end() { return Iterator(); }

    /// True when the input ended at a run without a string or number.
    bool Overlong() const { return overlong_; }
    /// Bytes of the file read so far.
    std::uint64_t BytesRead() const { return bytesRead_; }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;

    int Current() {
        if (!loaded_) Load();
        return current_;
    }
    void Advance() {
        if (!loaded_) Load();
        loaded_ = false;
    }
    int RawNext();
    void Load();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t position_ = 0, filled_ = 0;
    std::uint64_t bytesRead_ = 0;
    int current_ = EOF;
    bool loaded_ = false;
    bool inString_ = false, escaped_ = false, overlong_ = false;
    std::size_t blankRun_ = 0, sinceValue_ = 0;
};

}  // namespace varnel
