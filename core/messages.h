#pragma once

namespace varnel {

// The program's own messages, shown in a message box captioned with the application title.
// "\r\n" separates the two lines of a two-line message.
inline constexpr const char* kInvalidDataFileMessage = "Invalid data file\r\nExecution terminated";
inline constexpr const char* kInvalidDataAtLinePrefix = "Invalid data at line #";
inline constexpr const char* kInvalidRatioAtLinePrefix = "Invalid R at line #";
inline constexpr const char* kTooFewDataMessage = "Number of data < 3.\r\nError not estimated.";
inline constexpr const char* kNoDataForPictureMessage = "No data loaded.";
inline constexpr const char* kNoDataForGridMessage = "No data loaded";
inline constexpr const char* kMissingQuantileTableMessage =
    "File \"finv.dat\" does not exist.\r\nError not estimated.";
inline constexpr const char* kDamagedQuantileTableMessage =
    "File \"finv.dat\" is damaged.\r\nError not estimated for some numbers of data.";
/// Followed by N: a data file whose N has no usable quantile in finv.dat.
inline constexpr const char* kNoQuantileForDataCountPrefix =
    "Error not estimated: \"finv.dat\" holds no quantile for N = ";
/// Around T² at the estimate (EstimateStrain): an Open whose minimisation stopped short of T² = 0.
inline constexpr const char* kMinimumNotReachedPrefix =
    "The strain could not be estimated: the minimisation ended at T² = ";
inline constexpr const char* kMinimumNotReachedSuffix = ", not at its minimum 0.";
inline constexpr const char* kTooManyDataMessage =
    "Too many data (more than 10000).\r\nExecution terminated";
inline constexpr const char* kApplicationTitle = "Varnel";

}  // namespace varnel
