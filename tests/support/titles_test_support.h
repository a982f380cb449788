#pragma once
// Helpers of the titles tests: the SRT corpus, a guard for the shared
// settings, and quiet generation (titles print each element to stdout).
#include <ostream>
#include <string>

#include "test_support.h"
#include "titles/subtitle_cue.h"
#include "titles/titles_settings.h"

namespace quelvo {
// Failed comparisons show the cue, not its bytes.
inline void PrintTo(const SubtitleCue& t, std::ostream* os) {
    *os << "{" << t.id << ", " << t.startTime << " -> " << t.endTime << ", \"" << t.text
        << "\", placement " << static_cast<int>(t.placement) << ", alignment "
        << static_cast<int>(t.alignment) << "}";
}
} // namespace quelvo

namespace quelvo::test {

// A cue with its placement and alignment.
inline SubtitleCue cue(int64_t id, double start, double end, std::string text,
                       CuePlacement placement = CuePlacement::unset,
                       CueAlignment alignment = CueAlignment::unset) {
    SubtitleCue t(id, start, end, std::move(text));
    t.placement = placement;
    t.alignment = alignment;
    return t;
}

inline fs::path srtCorpus(const std::string& name) {
    return testDataDir() / "srt" / name;
}
// Public WebVTT and ASS files from other projects' test suites (see SOURCES.md there).
inline fs::path subtitleSample(const std::string& name) {
    return testDataDir() / "subtitles" / name;
}

// The parser reads the process-wide settings; each test that changes them
// gets them back as they were.
class SharedSettingsGuard {
  public:
    SharedSettingsGuard() : m_saved(TitlesSettings::shared()) {}
    ~SharedSettingsGuard() { TitlesSettings::shared() = m_saved; }
    SharedSettingsGuard(const SharedSettingsGuard&) = delete;
    SharedSettingsGuard& operator=(const SharedSettingsGuard&) = delete;

  private:
    TitlesSettings m_saved;
};

// Runs f with standard output captured, and hands back what it printed.
template <typename F> std::string capturingStdout(F&& f) {
    ::testing::internal::CaptureStdout();
    f();
    return ::testing::internal::GetCapturedStdout();
}

} // namespace quelvo::test
