#include "titles/reading_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/services.h"
#include "base/strings.h"
#include "titles/caption_spans.h"

namespace quelvo::titles {

namespace {

// A small allowance for times that are whole frames: 0.83 s at 30 fps is
// 25 frames, 0.8333 s.
constexpr double kSlack = 1e-9;

std::string decimal(double value, int places) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

// A limit as set: "17", "0.83".
std::string limitText(double value) {
    std::string text = decimal(value, 2);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::vector<std::string> shownLines(std::string_view text) {
    std::string shown = displayedText(text);
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' '))
        shown.pop_back();
    size_t first = 0;
    while (first < shown.size() && shown[first] == '\n')
        ++first;
    std::vector<std::string> lines;
    size_t start = first;
    for (size_t i = first; i <= shown.size(); ++i) {
        if (i < shown.size() && shown[i] != '\n') continue;
        lines.push_back(shown.substr(start, i - start));
        start = i + 1;
    }
    if (lines.size() == 1 && lines.front().empty()) lines.clear();
    return lines;
}

} // namespace

ReadingLimits storedReadingLimits() {
    ReadingLimits limits;
    limits.maxCPS = storedNumber(settings::kMaxCPS);
    limits.maxLineLength = static_cast<int>(storedNumber(settings::kMaxLineLength));
    limits.maxLines = static_cast<int>(storedNumber(settings::kMaxLines));
    limits.minDuration = storedNumber(settings::kMinCueDuration);
    return limits;
}

std::vector<ReadingFailure> checkCue(std::string_view text, double duration,
                                     const ReadingLimits& limits) {
    const std::vector<std::string> lines = shownLines(text);
    int64_t characters = 0;
    int64_t longest = 0;
    for (const std::string& line : lines) {
        const int64_t n = quelvo::characterCount(line);
        characters += n;
        longest = std::max(longest, n);
    }
    std::vector<ReadingFailure> failures;
    if (duration > 0 && characters > 0) {
        const double cps = static_cast<double>(characters) / duration;
        if (cps > limits.maxCPS + kSlack)
            failures.push_back({ReadingCheck::charactersPerSecond, cps, limits.maxCPS});
    }
    if (longest > limits.maxLineLength)
        failures.push_back(
            {ReadingCheck::lineLength, static_cast<double>(longest), double(limits.maxLineLength)});
    if (static_cast<int64_t>(lines.size()) > limits.maxLines)
        failures.push_back(
            {ReadingCheck::lineCount, static_cast<double>(lines.size()), double(limits.maxLines)});
    if (duration + kSlack < limits.minDuration)
        failures.push_back({ReadingCheck::duration, duration, limits.minDuration});
    return failures;
}

std::string failureText(const ReadingFailure& f) {
    const std::string limit = " (limit " + limitText(f.limit) + ")";
    switch (f.check) {
    case ReadingCheck::charactersPerSecond:
        return decimal(f.figure, 1) + " characters a second" + limit;
    case ReadingCheck::lineLength:
        return decimal(f.figure, 0) + " characters on a line" + limit;
    case ReadingCheck::lineCount:
        return decimal(f.figure, 0) + " lines" + limit;
    case ReadingCheck::duration:
        return "shown for " + decimal(f.figure, 2) + " s (at least " + limitText(f.limit) + ")";
    }
    return {};
}

std::string failuresText(const std::vector<ReadingFailure>& failures) {
    std::string text;
    for (const ReadingFailure& f : failures)
        text += (text.empty() ? "" : "; ") + failureText(f);
    return text;
}

std::vector<CueFinding> checkCues(const std::vector<SubtitleCue>& cues,
                                  const std::vector<CueTiming>& timings,
                                  const ReadingLimits& limits) {
    std::vector<CueFinding> findings;
    for (size_t i = 0; i < cues.size() && i < timings.size(); ++i) {
        std::vector<ReadingFailure> failures = checkCue(cues[i].text, timings[i].duration, limits);
        if (!failures.empty())
            findings.push_back({i, cues[i].id, timings[i].start, std::move(failures)});
    }
    return findings;
}

std::string findingLine(const CueFinding& finding) {
    return "cue " + std::to_string(finding.number) + " at " +
           quelvo::Timecode::withMilliseconds(finding.start, false) + ": " +
           failuresText(finding.failures);
}

} // namespace quelvo::titles
