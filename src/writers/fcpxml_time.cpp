#include "writers/fcpxml_time.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

#include "base/files.h"
#include "base/numbers.h"

namespace quelvo::fcpxml {

namespace {

struct FrameDuration {
    long long num;
    long long den;
};

// Rates no timeline runs at: below one frame in 100 s the frame's denominator
// rounds to 0, and far above any video rate it no longer fits.
constexpr double kMinTimebase = 0.01;
constexpr double kMaxTimebase = 1e6;
// Whole frames are kept within what "N/Ds" can carry for every frame length
// (1001 * 1e15 < 2^63); that is some 500 years even at 60 fps.
constexpr double kMaxFrames = 1e15;

FrameDuration frameDurationFor(double timebase) {
    if (!std::isfinite(timebase) || timebase < kMinTimebase || timebase > kMaxTimebase)
        timebase = 30;
    if (std::fabs(timebase - 24000.0 / 1001.0) < 0.01) return {1001, 24000};
    if (std::fabs(timebase - 30000.0 / 1001.0) < 0.01) return {1001, 30000};
    if (std::fabs(timebase - 60000.0 / 1001.0) < 0.01) return {1001, 60000};
    return {100, std::llround(timebase * 100.0)};
}

std::optional<int> rateCode(double fps) {
    static const std::pair<double, int> codes[] = {{24000.0 / 1001.0, 2398}, {24, 24}, {25, 25},
                                                   {30000.0 / 1001.0, 2997}, {30, 30}, {50, 50},
                                                   {60000.0 / 1001.0, 5994}, {60, 60}};
    for (const auto& [rate, code] : codes)
        if (std::fabs(fps - rate) < 0.005) return code;
    return std::nullopt;
}

} // namespace

std::string snappedTime(double time, double timebase, int snapping) {
    const FrameDuration frame = frameDurationFor(timebase);
    if (!std::isfinite(time)) time = 0;
    const double frames = time * static_cast<double>(frame.den) / static_cast<double>(frame.num);
    // A hair of tolerance keeps 1.0000000001 frames from rounding up to 2.
    const double whole =
        std::clamp(snapping == 2   ? std::ceil(frames - 1e-9)
                   : snapping == 0 ? static_cast<double>(quelvo::floorSnapped(frames))
                                   : std::round(frames),
                   -kMaxFrames, kMaxFrames);
    const long long n = static_cast<long long>(whole) * frame.num;
    if (n == 0) return "\"0s\"";
    return "\"" + std::to_string(n) + "/" + std::to_string(frame.den) + "s\"";
}

std::string getTime(double time, double timebase) {
    return snappedTime(time, timebase, 1);
}

std::string getTimeRoundedDown(double time, double timebase) {
    return snappedTime(time, timebase, 0);
}

std::string getFormat(std::optional<double> frameRate) {
    if (frameRate) {
        if (const auto code = rateCode(*frameRate))
            return "FFVideoFormat1080p" + std::to_string(*code);
    }
    return "FFVideoFormatRateUndefined";
}

std::string getColor(const quelvo::RgbaColor& color) {
    std::string out;
    for (double component : {color.red, color.green, color.blue, color.alpha}) {
        if (!std::isfinite(component)) component = 0;
        // Room for the largest double in fixed notation (309 digits, sign,
        // point and four decimals): a hand-edited colour may hold one.
        char buf[std::numeric_limits<double>::max_exponent10 + 16];
        const auto res =
            std::to_chars(buf, buf + sizeof buf, component, std::chars_format::fixed, 4);
        std::string text(buf, res.ptr);
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
        if (text == "-0") text = "0";
        if (!out.empty()) out += ' ';
        out += text;
    }
    return out;
}

std::string fileUrlOf(const std::string& path) {
    const std::string absolute = quelvo::absolutePathOf(path);
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file://";
    for (const unsigned char c : absolute) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~' || c == '/';
        if (unreserved) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xF]);
        }
    }
    return out;
}

} // namespace quelvo::fcpxml

namespace quelvo::videoFormats {

std::string getVideoFormat(Size forSize, double fps) {
    std::string size;
    if (forSize.width == 1920 && forSize.height == 1080)
        size = "1080p";
    else if (forSize.width == 1280 && forSize.height == 720)
        size = "720p";
    else if (forSize.width == 3840 && forSize.height == 2160)
        size = "2160p";
    const std::string rated = fcpxml::getFormat(fps);
    if (size.empty() || rated == "FFVideoFormatRateUndefined") return "FFVideoFormatRateUndefined";
    return "FFVideoFormat" + size + rated.substr(std::string("FFVideoFormat1080p").size());
}

} // namespace quelvo::videoFormats
