#include "input/quantile_table.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/confidence_region.h"
#include "core/io_error.h"
#include "core/messages.h"
#include "input/byte_reader.h"
#include "input/text_to_float.h"

namespace varnel {

namespace {

constexpr std::size_t kMaxNumberLength = 64;

bool IsSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Skips characters with codes 0 to 32, line breaks included, setting `newLine` when a line feed
// is among them; false at the end of the file.
bool SkipSpaceAndControl(ByteReader& reader, bool& newLine) {
    for (std::string_view bytes; !(bytes = reader.Buffered()).empty();) {
        const auto text = std::find_if_not(bytes.begin(), bytes.end(), IsSpaceOrControl);
        newLine = newLine || std::find(bytes.begin(), text, '\n') != text;
        reader.Skip(static_cast<std::size_t>(text - bytes.begin()));
        if (text != bytes.end()) return true;
    }
    return false;
}

// Reads one number: skips codes 0 to 32 (setting `newLine` when a line feed is among them), then
// takes up to 64 characters up to the next such code. The end of the file gives 0 without
// error; a text that does not convert sets `malformed`.
double ReadNumber(ByteReader& reader, bool& malformed, bool& newLine) {
    if (!SkipSpaceAndControl(reader, newLine)) return 0.0;
    std::array<char, kMaxNumberLength> text;
    std::size_t length = 0;
    for (std::string_view bytes; length < text.size() && !(bytes = reader.Buffered()).empty();) {
        bytes = bytes.substr(0, text.size() - length);
        const auto end = std::find_if(bytes.begin(), bytes.end(), IsSpaceOrControl);
        const std::size_t taken = static_cast<std::size_t>(end - bytes.begin());
        std::copy(bytes.begin(), end, text.begin() + length);
        length += taken;
        reader.Skip(taken);
        if (end != bytes.end()) break;
    }
    const std::optional<double> value = TableTextToFloat({text.data(), length});
    if (!value) malformed = true;
    return value.value_or(0.0);
}

// Entries N … 10000 of the three tables as a table that ended before row N leaves them.
void ClearRowsFrom(AnalysisState& state, int N) {
    for (auto* table : {&state.FQuantile39, &state.FQuantile50, &state.FQuantile95}) {
        std::fill(table->begin() + N, table->end(), 0.0);
    }
}

bool StartsWithByteOrderMark(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string start(kUtf8ByteOrderMark.size(), '\0');
    return file.read(start.data(), std::streamsize(start.size())) && start == kUtf8ByteOrderMark;
}

}  // namespace

bool LoadFQuantileTable(AnalysisState& state, const std::string& folder) {
    const std::string path = folder + "finv.dat";
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) return false;

    ByteReader reader(path);
    for (int N = kMinQuantileN; N <= kMaxData; ++N) {
        bool malformed = false, beforeRow = false, cutShort = false;
        const double rowN = ReadNumber(reader, malformed, beforeRow);
        state.FQuantile39[N] = ReadNumber(reader, malformed, cutShort);
        state.FQuantile50[N] = ReadNumber(reader, malformed, cutShort);
        state.FQuantile95[N] = ReadNumber(reader, malformed, cutShort);
        reader.SkipLine();  // the rest of the row's line
        if (malformed) {
            throw VarnelError(IoErrorMessage(kIoInvalidNumericInput),
                              StartsWithByteOrderMark(path)
                                  ? path +
                                        " begins with a byte-order mark: save it as plain "
                                        "ASCII text without one"
                                  : "a number of the row for N = " + std::to_string(N) + " of " +
                                        path +
                                        " is malformed: the table holds plain numbers with \".\" "
                                        "decimals");
        }
        // A row missing or cut short would shift every later row onto the wrong N.
        if (rowN != N || cutShort) {
            ClearRowsFrom(state, N);
            break;
        }
    }
    return true;
}

int FirstNWithoutUsableQuantile(const AnalysisState& state) {
    for (int N = kMinQuantileN; N <= kMaxData; ++N) {
        for (const auto* table : {&state.FQuantile39, &state.FQuantile50, &state.FQuantile95}) {
            if (!IsUsableQuantile((*table)[N])) return N;
        }
    }
    return 0;
}

std::optional<std::string> LoadAndCheckFQuantileTable(AnalysisState& state,
                                                      const std::string& folder) {
    if (!LoadFQuantileTable(state, folder)) return kMissingQuantileTableMessage;
    if (FirstNWithoutUsableQuantile(state) != 0) return kDamagedQuantileTableMessage;
    return std::nullopt;
}

std::string FQuantileTableDetail(const AnalysisState& state, const std::string& folder) {
    const std::string path = folder + "finv.dat";
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return "finv.dat not found: looked for " + path;
    if (std::filesystem::is_directory(status)) return path + " is a folder, not the table";
    if (std::filesystem::file_size(path, error) == 0) return path + " is empty";
    const int N = FirstNWithoutUsableQuantile(state);
    if (N == 0) return {};
    return path + ": no usable quantile for N = " + std::to_string(N) + ", the first such row";
}

}  // namespace varnel
