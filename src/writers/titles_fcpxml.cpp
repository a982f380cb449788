#include "writers/titles_fcpxml.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "base/numbers.h"
#include "base/string_template.h"
#include "base/strings.h"
#include "titles/video_facts.h"
#include "writers/fcpxml_time.h"
#include "writers/title_texts.h"

namespace quelvo {

using titles::num;
using titles::quotedRGB;
using titles::stripQuotes;

namespace {

const char* const kFullTextStyle = "<text-style font=\"[font]\" fontFace=\"[fontFace]\" "
                                   "fontSize=\"[fontSize]\" fontColor=\"[fontColor]\" "
                                   "[shadowStyleParams] strokeColor=\"[strokeColor]\" "
                                   "strokeWidth=\"-[strokeWidth]\" baseline=\"[baseline]\" "
                                   "[alignmentText]/>";

// Colours, stroke and shadow then come from the custom title file.
const char* const kShortTextStyle =
    "<text-style font=\"[font]\" fontFace=\"[fontFace]\" fontSize=\"[fontSize]\" [alignmentText]/>";

const char* const kShadowStyle =
    "shadowColor=\"[red] [green] [blue] [alpha]\" shadowOffset=\"[distance] [angle]\" "
    "shadowBlurRadius=\"[blurX2]\"";

const char* const kShadowParams =
    "<param name=\"Angle\" key=\"9999/999166631/999166633/5/999166635/21/29\" value=\"[angle]\"/>\n"
    "<param name=\"Blur\" key=\"9999/999166631/999166633/5/999166635/21/75\" value=\"[blur] "
    "[blur]\"/>";

const char* const kTitle =
    "<title name=\"[name] - Basic Title\" lane=\"[lane]\" offset=[offset] ref=\"[ref]\" "
    "duration=[duration] "
    "start=\"[start]\">\n"
    "<param name=\"Blur\" key=\"9999/999166631/999166633/5/999166635/30/76\" value=\"[strokeBlur] "
    "[strokeBlur]\"/>\n"
    "<param name=\"Color\" key=\"9999/999166631/999166633/5/999166635/14/16\" value=[faceColor]/>\n"
    "<param name=\"Line Spacing\" key=\"9999/999166631/999166633/2/354/999169573/404\" "
    "value=\"[lineSpacing]\"/>\n"
    "[shadowParams]\n"
    "<text>\n"
    "<text-style ref=\"[tsS]\">[text]</text-style>\n"
    "</text>\n"
    "<text-style-def id=\"[tsS]\">\n"
    "[textStyle]\n"
    "</text-style-def>\n"
    "</title>";

std::string fill(const char* templateText, const std::map<std::string, std::string>& values) {
    return StringTemplate(templateText).fillText(values);
}

std::vector<TimedTitle> titlesFrom(const std::vector<SubtitleCue>& subtitles) {
    std::vector<TimedTitle> list;
    list.reserve(subtitles.size());
    for (const auto& s : subtitles)
        list.push_back({s.text, s.startTime, s.endTime});
    return list;
}

} // namespace

TitlesFcpxml::TitlesFcpxml(std::string eventName, std::vector<TimedTitle> titleList,
                           std::optional<std::string> videoFileUrl)
    : TitlesFcpxml(std::move(eventName), std::move(titleList), std::move(videoFileUrl),
                   TitlesSettings::load()) {}

TitlesFcpxml::TitlesFcpxml(std::string eventName, std::vector<TimedTitle> titleList,
                           std::optional<std::string> videoFileUrl, TitlesSettings settings)
    : eventName(std::move(eventName)), settings(std::move(settings)),
      titleList(std::move(titleList)), videoFileUrl(std::move(videoFileUrl)) {
    readVideoStartTime();
}

TitlesFcpxml::TitlesFcpxml(std::string eventName, const std::vector<SubtitleCue>& subtitles,
                           std::optional<std::string> videoFileUrl)
    : TitlesFcpxml(std::move(eventName), titlesFrom(subtitles), std::move(videoFileUrl)) {}

TitlesFcpxml::TitlesFcpxml(std::string eventName, const std::vector<SubtitleCue>& subtitles,
                           std::optional<std::string> videoFileUrl, TitlesSettings settings)
    : TitlesFcpxml(std::move(eventName), titlesFrom(subtitles), std::move(videoFileUrl),
                   std::move(settings)) {}

void TitlesFcpxml::readVideoStartTime() {
    if (settings.handleNonZeroStartTime && videoFileUrl)
        videoStartTime = titles::mediaStart(*videoFileUrl).value_or(0);
}

double TitlesFcpxml::lastEndTime() const {
    double last = 0;
    for (const auto& t : titleList)
        last = std::max(last, t.endTime);
    return last;
}

double TitlesFcpxml::minEndTime() const {
    double least = 0;
    for (const auto& t : titleList)
        least = std::min(least, t.endTime);
    return least;
}

int64_t TitlesFcpxml::maxLineCount() const {
    int64_t most = 0;
    for (const auto& t : titleList)
        most = std::max<int64_t>(
            most, static_cast<int64_t>(quelvo::lines(quelvo::trimWhitespace(t.text)).size()));
    return most;
}

bool TitlesFcpxml::customTitleInUse() const {
    return settings.customTitle.enable && settings.customTitle.sourceUrl.has_value();
}

double TitlesFcpxml::timebase(std::optional<double> fps) const {
    if (titles::usableFrameRate(fps)) return *fps;
    if (titles::usableFrameRate(settings.timeLineFPS)) return *settings.timeLineFPS;
    return 30;
}

std::string TitlesFcpxml::titlesXML(std::optional<double> fps, bool avoidOverlap, bool useV19) {
    std::string out;
    writeTitles([&](std::string_view piece) { out.append(piece); }, fps, avoidOverlap, useV19);
    return out;
}

void TitlesFcpxml::writeTitles(const Sink& out, std::optional<double> fps, bool avoidOverlap,
                               bool useV19) {
    const bool custom = customTitleInUse();
    for (size_t i = 0; i < titleList.size(); ++i) {
        out(titleXML(i, fps, avoidOverlap, useV19, custom));
        if (onTitleMade) onTitleMade(i + 1, titleList.size());
    }
}

TitlePlacement TitlesFcpxml::placement(size_t i, std::optional<double> fps,
                                       bool avoidOverlap) const {
    const TimedTitle& t = titleList.at(i);
    TitlePlacement place;
    // The frame that separates titles is the video's, or 1/30 s; the
    // timeline rate setting only decides the rate times are written in.
    const double tb = timebase(fps);
    const double frame = 1.0 / (titles::usableFrameRate(fps) ? *fps : 30.0);
    place.offset = t.startTime + videoStartTime;
    double base = t.endTime - t.startTime;
    if (settings.add1BlankFrame) base -= frame;
    double d = base + settings.extendAfter;
    if (settings.minDuration > d) {
        d = settings.minDuration;
        place.raisedToMinimum = true;
    }
    const bool hasNext = i + 1 < titleList.size();
    const double untilNext = hasNext ? titleList[i + 1].startTime - t.startTime - frame : 0;
    if (avoidOverlap && hasNext && untilNext < d) {
        d = untilNext;
        place.shortenedForNext = true;
    }
    // A title that starts with (or just before) its successor would otherwise
    // get a zero or negative duration, which Final Cut Pro rejects.
    if (!(d >= 1.0 / tb)) {
        d = 1.0 / tb;
        place.raisedToOneFrame = true;
    }
    place.duration = d;
    place.overlapsNext = hasNext && t.startTime + d > titleList[i + 1].startTime;
    place.lane = avoidOverlap ? 1 : static_cast<int64_t>(i) + 1;
    if (settings.addPatch.value_or(false)) ++place.lane; // lane 1 carries the patches
    return place;
}

std::string TitlesFcpxml::titleXML(size_t i, std::optional<double> fps, bool avoidOverlap,
                                   bool useV19, bool customTitleInUse) {
    using fcpxml::snappedTime;
    const TimedTitle& t = titleList.at(i);
    const double tb = timebase(fps);
    const TitlePlacement place = placement(i, fps, avoidOverlap);
    const std::string offset = snappedTime(place.offset, tb, 1);
    const std::string duration = snappedTime(place.duration, tb, 1);
    const int64_t lane = place.lane;

    // Text and style.
    const std::string escaped = titles::escapeTitleText(t.text);
    const std::string tsS = "TSY_TextStile_" + std::to_string(i + 1);
    const std::string alignmentText = settings.alignment == Alignment::notSet
                                          ? ""
                                          : "alignment=\"" + rawValue(settings.alignment) + "\"";
    const Shadow& shadow = settings.shadow;
    std::string shadowStyle, shadowParams;
    if (shadow.enable) {
        shadowStyle = fill(kShadowStyle, {{"red", num(shadow.color.red)},
                                          {"green", num(shadow.color.green)},
                                          {"blue", num(shadow.color.blue)},
                                          {"alpha", num(shadow.opacity)},
                                          {"distance", num(shadow.distance)},
                                          {"angle", num(shadow.angle)},
                                          {"blurX2", num(shadow.blur * 2)}});
        shadowParams =
            fill(kShadowParams, {{"angle", num(shadow.angle)}, {"blur", num(shadow.blur)}});
    }
    const std::string textStyle = fill(customTitleInUse ? kShortTextStyle : kFullTextStyle,
                                       {{"font", titles::attributeText(settings.font)},
                                        {"fontFace", titles::attributeText(settings.fontFace)},
                                        {"fontSize", num(settings.size)},
                                        {"fontColor", fcpxml::getColor(settings.color)},
                                        {"strokeColor", fcpxml::getColor(settings.strokeColor)},
                                        {"strokeWidth", num(settings.strokeWidth)},
                                        {"baseline", num(baselineValue(escaped))},
                                        {"alignmentText", alignmentText},
                                        {"shadowStyleParams", shadowStyle}});

    const std::string element = fill(kTitle, {{"name", stripQuotes(escaped)},
                                              {"lane", std::to_string(lane)},
                                              {"offset", offset},
                                              {"ref", titles::attributeText(templateId)},
                                              {"duration", duration},
                                              {"start", "3600s"},
                                              {"tsS", tsS},
                                              {"textStyle", textStyle},
                                              {"text", escaped},
                                              {"strokeBlur", num(settings.strokeBlur)},
                                              {"faceColor", quotedRGB(settings.color)},
                                              {"lineSpacing", num(settings.lineSpacing)},
                                              {"shadowParams", shadowParams}});
    std::cout << element << '\n';
    return patchVideoXML(offset, duration, useV19) + "\n" + element;
}

std::string TitlesFcpxml::patchVideoXML(const std::string& offset, const std::string& duration,
                                        bool useV19) const {
    if (!settings.addPatch.value_or(false) || !settings.patch) return {};
    const Patch& patch = *settings.patch;
    // Percent crops of a full-frame solid.
    const double left = (1 - patch.hSize) * 100 / 2;
    const double right = left;
    const double bottom = patch.vPosition * 100;
    const double top = (1 - patch.vSize - patch.vPosition) * 100;
    const std::string name = titles::attributeText(stripQuotes(patchName));
    const std::string ref = titles::attributeText(patchId);
    const std::string tail =
        " start=\"3600s\">\n <param name=\"Color\" key=\"9999/10008/10006/2/1/1\" value=" +
        quotedRGB(patch.color) + "/>\n <adjust-crop mode=\"trim\">\n<trim-rect top=\"" + num(top) +
        "\" left=\"" + num(left) + "\" right=\"" + num(right) + "\" bottom=\"" + num(bottom) +
        "\"/>\n </adjust-crop>\n <adjust-blend amount=\"" + num(patch.opacity) + "\"/>\n</video>";
    if (useV19)
        return "<video name=\"" + name + "\" lane=\"1\" offset=" + offset + " ref=\"ASSET_" + ref +
               "\" duration=" + duration + tail;
    return "<video ref=\"ASSET_" + ref + "\" name=\"" + name + "\" lane=\"1\" offset=" + offset +
           " duration=" + duration + tail;
}

double TitlesFcpxml::baselineValue(const std::string& text) const {
    const auto n = static_cast<int64_t>(quelvo::lines(text).size());
    float p = settings.baselinePerc;
    // Each extra line raises the baseline by 1.05 line heights, a line height
    // being the font size as a share of the frame height.
    if (n >= 2)
        p = p + static_cast<float>(static_cast<double>(n - 1) * static_cast<double>(settings.size) /
                                   settings.frameSize.height * 1.05);
    // The template's vertical space is 1080 units with 0 in the middle,
    // whatever the frame size.
    return static_cast<double>(1080.0f * p - 540.0f);
}

} // namespace quelvo
