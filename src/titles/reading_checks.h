#pragma once
// Reading-speed checks: whether a viewer can read each cue in the time the
// document gives it. They run on the times the document will hold (after the
// titles' timing rules, or on the captions' frame grid) and on the text as
// shown: tags removed, spaces and punctuation counted, line breaks not.
// Failing a check never stops an export; it is reported.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/duck_settings.h"
#include "titles/subtitle_cue.h"

namespace quelvo::titles {

namespace settings {
inline constexpr NumberSetting kMaxCPS{"titles.check.maxCPS", 17, 1, 100, 1, "characters a second"};
inline constexpr NumberSetting kMaxLineLength{
    "titles.check.maxLineLength", 42, 1, 500, 0, "characters"};
inline constexpr NumberSetting kMaxLines{"titles.check.maxLines", 2, 1, 20, 0, "lines"};
// Apart from the title settings' own minimum duration, which lengthens
// titles; this one only reports.
inline constexpr NumberSetting kMinCueDuration{"titles.check.minDuration", 0.83, 0, 60, 2, "s"};
} // namespace settings

struct ReadingLimits {
    double maxCPS = settings::kMaxCPS.defaultValue;
    int maxLineLength = 42;
    int maxLines = 2;
    double minDuration = settings::kMinCueDuration.defaultValue;
};

// The limits as stored (a value that cannot be used reads as its default,
// with the store's warning).
ReadingLimits storedReadingLimits();

enum class ReadingCheck { charactersPerSecond, lineLength, lineCount, duration };

struct ReadingFailure {
    ReadingCheck check;
    double figure;
    double limit;
};

// The times a cue will have in the document, in seconds.
struct CueTiming {
    double start = 0;
    double duration = 0;
};

// The checks one cue fails, in the order above.
std::vector<ReadingFailure> checkCue(std::string_view text, double duration,
                                     const ReadingLimits& limits);

// "21.4 characters a second (limit 17)".
std::string failureText(const ReadingFailure& failure);
// Every failure of one cue, joined by "; ".
std::string failuresText(const std::vector<ReadingFailure>& failures);

struct CueFinding {
    size_t index = 0;   // in the cue list
    int64_t number = 0; // the cue's own counter
    double start = 0;   // seconds, as the document holds it
    std::vector<ReadingFailure> failures;
};

// The cues that fail a check; `timings` runs beside `cues`.
std::vector<CueFinding> checkCues(const std::vector<SubtitleCue>& cues,
                                  const std::vector<CueTiming>& timings,
                                  const ReadingLimits& limits);

// "cue 12 at 00:01:02.345: 21.4 characters a second (limit 17)", one line.
std::string findingLine(const CueFinding& finding);

} // namespace quelvo::titles
