#pragma once
// Helpers shared by the test executables: paths to the shared DTDs and
// recordings, DTD validation, golden-file comparison, temporary folders and
// running the command-line program.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace quelvo::test {

namespace fs = std::filesystem;

// ../shared beside the checkout, or $QUELVO_SHARED_DIR.
fs::path sharedDir();
fs::path testDataDir();
fs::path goldenDir();
fs::path binDir();

// Skips the current test with a clear message when ../shared is absent.
#define QUELVO_REQUIRE_SHARED()                                                                    \
    do {                                                                                           \
        if (!std::filesystem::exists(::quelvo::test::sharedDir() / "fcpxml"))                      \
            GTEST_SKIP() << "shared folder not found at " << ::quelvo::test::sharedDir()           \
                         << " (set QUELVO_SHARED_DIR)";                                            \
    } while (0)

// The shared recording testdata/<relative> when ../shared is there, else a
// stand-in made here with the same file name, format and rate (espeak-ng
// speech for dialogue/..., sox tones with a silent stretch for music/...).
// For tests that need "a dialogue" or "a music bed", not the corpus's content.
fs::path recordingOrStandIn(const std::string& relative);
// True when the shared test recordings are present (corpus content tests).
inline bool haveSharedRecordings() {
    return std::filesystem::exists(sharedDir() / "testdata" / "dialogue");
}
// Skips a test whose figures (speech clusters, gaps, keyframes) are those of
// the corpus's own recordings, which a stand-in does not have.
#define QUELVO_REQUIRE_CORPUS_SPEECH()                                                             \
    do {                                                                                           \
        if (!::quelvo::test::haveSharedRecordings())                                               \
            GTEST_SKIP() << "counts the clusters of the shared recordings; not at "                \
                         << ::quelvo::test::sharedDir();                                           \
    } while (0)

struct ValidationResult {
    bool valid = false;
    std::string output;
};
// Validates an FCPXML text against the shared DTD of `version` ("1.6", "1.9")
// with xmllint --noout --nonet --dtdvalid.
ValidationResult validateFcpxml(const std::string& xml, const std::string& version);
// Asserts validity, skipping when the shared DTDs are absent.
#define EXPECT_VALID_FCPXML(xml, version)                                                          \
    do {                                                                                           \
        if (std::filesystem::exists(::quelvo::test::sharedDir() / "fcpxml")) {                     \
            const auto _r = ::quelvo::test::validateFcpxml((xml), (version));                      \
            EXPECT_TRUE(_r.valid) << _r.output;                                                    \
        }                                                                                          \
    } while (0)

// Compares text with tests/golden/<name>; with UPDATE_GOLDEN=1 rewrites it.
void expectGolden(const std::string& name, const std::string& actual);

// A fresh empty folder, removed when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

  private:
    fs::path m_path;
};

std::string readFile(const fs::path& path);
void writeFile(const fs::path& path, const std::string& bytes);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs a program with arguments (no shell), with extra environment entries.
CommandResult runProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extraEnv = {});

// Starts every test with an empty settings folder (a first run of the program).
// How many times `what` occurs in `text` (overlapping ones counted).
int occurrences(const std::string& text, const std::string& what);
// Runs sox with these arguments; answers its exit status.
int sox(std::vector<std::string> args);
// A file of tests/data/media.
fs::path mediaFile(const std::string& name);

void freshSettings();
// Removes the last settings folder freshSettings made (at the end of a run).
void dropSettings();
// For a test main: freshSettings before each test, dropSettings after the
// last, so that a run leaves no settings folder or lock file behind.
::testing::TestEventListener* newSettingsFolderListener();

} // namespace quelvo::test
