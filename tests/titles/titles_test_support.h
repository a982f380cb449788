#pragma once
// Helpers of the titles tests: the SRT corpus, a guard for the shared
// settings, and quiet generation (titles print each element to stdout).
#include <string>

#include "support/test_support.h"
#include "titles/settings/fcpxml_titles_settings.h"

namespace quelvo::test {

inline fs::path srtCorpus(const std::string& name) { return testDataDir() / "srt" / name; }

// The parser reads the process-wide settings; each test that changes them
// gets them back as they were.
class SharedSettingsGuard {
public:
    SharedSettingsGuard() : m_saved(FCPXML_Titles_Settings::shared()) {}
    ~SharedSettingsGuard() { FCPXML_Titles_Settings::shared() = m_saved; }
    SharedSettingsGuard(const SharedSettingsGuard&) = delete;
    SharedSettingsGuard& operator=(const SharedSettingsGuard&) = delete;

private:
    FCPXML_Titles_Settings m_saved;
};

// Runs f with standard output captured, and hands back what it printed.
template <typename F> std::string capturingStdout(F&& f) {
    ::testing::internal::CaptureStdout();
    f();
    return ::testing::internal::GetCapturedStdout();
}

} // namespace quelvo::test
