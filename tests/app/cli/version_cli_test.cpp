// --version and --help of both programs: one version number (the project's),
// the FFmpeg licence as the linked library states it, and answers that need
// no display, so packagers and scripts can ask a desktop program too.
extern "C" {
#include <libavcodec/avcodec.h>
}

#include "base/services.h"
#include "support/test_support.h"

using namespace quelvo::test;

namespace {

// A display that is not there and the toolkit's X11 backend: the desktop
// program would abort if it started its windowing before answering.
const std::vector<std::string> kNoDisplay{"DISPLAY=:4242", "QT_QPA_PLATFORM=xcb",
                                          "WAYLAND_DISPLAY="};

class VersionAndHelp : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        m_program = binDir() / GetParam();
        if (!fs::exists(m_program)) GTEST_SKIP() << GetParam() << " is not built at " << m_program;
    }
    CommandResult run(const std::string& option) {
        std::vector<std::string> env = kNoDisplay;
        env.push_back("QUELVO_CONFIG_DIR=" + (m_dir / "config").string());
        return runProgram({m_program.string(), option}, env);
    }
    fs::path m_program;
    TempDir m_dir;
};

} // namespace

TEST_P(VersionAndHelp, VersionNamesTheProjectVersionAndFFmpegsOwnLicence) {
    const CommandResult r = run("--version");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string first = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(GetParam() + " " + quelvo::BuildVersion::versionString(), first);
    EXPECT_NE(r.out.find("\nFFmpeg " + std::string(av_version_info())), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("licensed under the " + std::string(avcodec_license()) + "\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ("", r.err);
}

TEST_P(VersionAndHelp, HelpShowsUsageWithoutStartingTheDesktop) {
    const CommandResult r = run("--help");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Usage: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_EQ("", r.err);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, VersionAndHelp, ::testing::Values("quelvo-cli", "quelvo"),
                         [](const auto& info) {
                             return info.param == "quelvo" ? "Desktop" : "CommandLine";
                         });
