#pragma once
// Number-to-text conversions that never depend on the process locale: a comma
// decimal separator in an FCPXML file breaks the import.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

// Shortest text that reads back to the same value, with at least one
// fractional digit for whole numbers (1 prints as "1.0"); "inf", "-inf", "nan".
std::string string(double value);
std::string string(float value);
std::string string(int64_t value);
inline std::string string(int value) {
    return string(static_cast<int64_t>(value));
}

// Reads a decimal number (leading and trailing blanks allowed); nothing when
// the text is not a number.
std::optional<double> toDouble(std::string_view text);
std::optional<int64_t> toInt(std::string_view text);

// Truncation toward zero; non-finite values give 0 and values out of range
// are clamped, so a broken media duration can never become undefined behaviour.
int64_t truncateToInt(double value);

// truncateToInt of the value snapped to six decimals first: a count that is
// whole but for floating-point noise (21.9 - 19.1 = 2.7999999999999998 tenths
// of a second times ten) keeps its last unit, while a real fraction is
// still cut toward zero.
int64_t truncateSnapped(double value);

// The largest whole number not above the value snapped to six decimals:
// rounding down that noise cannot push a whole count below itself.
int64_t floorSnapped(double value);

} // namespace quelvo
