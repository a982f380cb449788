#include "writers/fcpxml_video_fragments.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "base/strings.h"
#include "writers/fcpxml_time.h"

namespace quelvo {

std::string urlLastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string urlName(std::string_view path) {
    const std::string last = urlLastPathComponent(path);
    const size_t dot = last.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot == std::string::npos || dot == 0) return last;
    return last.substr(0, dot);
}

std::string pathFromFileUrl(std::string_view url) {
    if (!quelvo::startsWith(quelvo::toLower(url.substr(0, 7)), "file://")) return std::string(url);
    std::string_view rest = url.substr(7);
    if (quelvo::startsWith(quelvo::toLower(rest.substr(0, 10)), "localhost/"))
        rest.remove_prefix(9);
    const auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 &&
            hexValue(rest[i + 2]) >= 0) {
            path.push_back(static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

} // namespace quelvo

namespace quelvo::fcpxml {

namespace {

std::string attribute(std::string_view text) {
    return quelvo::xmlEscapeAttribute(xmlSafeText(text), true);
}

std::string frameTime(double seconds, double timebase) {
    if (std::isfinite(timebase) && timebase > 0) return snappedTime(seconds, timebase, 1);
    return getExactTime(seconds);
}

} // namespace

std::string getExactTime(double seconds) {
    if (!std::isfinite(seconds)) seconds = 0;
    // Beyond a century the microseconds would not fit; no media is that long.
    seconds = std::clamp(seconds, -4.0e9, 4.0e9);
    long long num = std::llround(seconds * 1e6);
    long long den = 1000000;
    const long long g = std::gcd(num < 0 ? -num : num, den);
    if (num == 0) return "\"0s\"";
    num /= g;
    den /= g;
    if (den == 1) return "\"" + std::to_string(num) + "s\"";
    return "\"" + std::to_string(num) + "/" + std::to_string(den) + "s\"";
}

std::string getAsset(const std::string& id, const std::string& name, const std::string& src,
                     double start, double duration, bool hasAudio, bool audioSources,
                     int audioChannels, int audioRate, const std::string& metadata, bool audioOnly,
                     bool useV19, bool hasVideo) {
    const bool video = hasVideo && !audioOnly;
    const std::string url = fileUrlOf(src);
    std::string out = "<asset id=\"" + attribute(id) + "\" name=\"" + attribute(name) + "\"";
    if (!useV19) out += " src=\"" + url + "\"";
    out += " start=" + getExactTime(start) + " duration=" + getExactTime(duration);
    out += video ? " hasVideo=\"1\"" : " hasVideo=\"0\"";
    if (hasAudio) out += " hasAudio=\"1\"";
    // videoSources arrived with FCPXML 1.7.
    if (video && useV19) out += " videoSources=\"1\"";
    if (hasAudio && audioSources) out += " audioSources=\"1\"";
    if (hasAudio && audioChannels > 0)
        out += " audioChannels=\"" + std::to_string(audioChannels) + "\"";
    if (hasAudio && audioRate > 0) out += " audioRate=\"" + std::to_string(audioRate) + "\"";
    if (useV19)
        return out + ">\n<media-rep kind=\"original-media\" src=\"" + url + "\"/>\n" + metadata +
               "</asset>\n";
    if (metadata.empty()) return out + "/>\n";
    return out + ">\n" + metadata + "</asset>\n";
}

std::string getAssetClip(const std::string& name, const std::string& ref, double timelineStart,
                         double timelineEnd, double assetStart, double timebase, double duration,
                         const std::string& audioRole, const std::string& format,
                         const std::string& markers, const std::vector<std::string>& keywords,
                         bool audioOnly, const std::string& additionalText) {
    double length = timelineEnd - timelineStart;
    if (std::isfinite(duration) && duration > 0) length = std::min(length, duration);
    const std::string lengthText = frameTime(length, timebase);
    std::string out = "<asset-clip name=\"" + attribute(name) + "\" ref=\"" + attribute(ref) +
                      "\" offset=" + frameTime(timelineStart, timebase) +
                      " duration=" + lengthText + " start=" + frameTime(assetStart, timebase);
    if (!format.empty()) out += " format=\"" + attribute(format) + "\"";
    out += " tcFormat=\"NDF\"";
    if (!audioRole.empty()) out += " audioRole=\"" + attribute(audioRole) + "\"";
    if (audioOnly) out += " srcEnable=\"audio\"";
    out += ">\n" + additionalText + "\n" + markers;
    for (const auto& keyword : keywords)
        out += "<keyword start=" + frameTime(assetStart, timebase) + " duration=" + lengthText +
               " value=\"" + attribute(keyword) + "\"/>\n";
    return out + "</asset-clip>";
}

} // namespace quelvo::fcpxml
