#include "base/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quelvo {

namespace {

template <typename Float> std::string shortest(Float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    std::string out(buf, res.ptr);
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string string(double value) {
    return shortest(value);
}
std::string string(float value) {
    return shortest(value);
}
std::string string(int64_t value) {
    return std::to_string(value);
}

std::optional<double> toDouble(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int64_t> toInt(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

int64_t truncateToInt(double value) {
    if (!std::isfinite(value)) return 0;
    constexpr double kMax = 9.2e18;
    if (value >= kMax) return static_cast<int64_t>(kMax);
    if (value <= -kMax) return -static_cast<int64_t>(kMax);
    return static_cast<int64_t>(value);
}

namespace {
double snapped(double value) {
    // Beyond 1e9 a double has no six decimals to snap; its noise is not ours.
    if (!std::isfinite(value) || std::fabs(value) >= 1e9) return value;
    return std::round(value * 1e6) / 1e6;
}
} // namespace

int64_t truncateSnapped(double value) {
    return truncateToInt(snapped(value));
}

int64_t floorSnapped(double value) {
    return truncateToInt(std::floor(snapped(value)));
}

} // namespace quelvo
