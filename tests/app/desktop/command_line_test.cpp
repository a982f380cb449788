// The desktop program's command line: files placed in the order given, made
// absolute; what it does not place is reported rather than refused; --help
// and --version are answered only where they stand before "--".
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop/command_line.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using quelvo::desktop::CommandLine;

namespace {

// argv as main receives it, from the words after the program's name.
struct Arguments {
    explicit Arguments(std::vector<std::string> words) : m_words(std::move(words)) {
        m_words.insert(m_words.begin(), "quelvo");
        for (std::string& word : m_words)
            m_pointers.push_back(word.data());
    }
    int argc() const { return static_cast<int>(m_pointers.size()); }
    char** argv() { return m_pointers.data(); }

  private:
    std::vector<std::string> m_words;
    std::vector<char*> m_pointers;
};

CommandLine parse(std::vector<std::string> words) {
    Arguments args(std::move(words));
    return quelvo::desktop::parseCommandLine(args.argc(), args.argv());
}

} // namespace

TEST(DesktopCommandLine, FilesAreAbsoluteInTheirOrderAndExtrasAreReported) {
    const fs::path here = fs::current_path();
    const CommandLine line = parse({"talk.wav", "../music/bed.mp3", "/abs/fill.wav", "fourth.wav"});
    EXPECT_EQ(line.files, (std::vector<std::string>{(here / "talk.wav").string(),
                                                    (here.parent_path() / "music/bed.mp3").string(),
                                                    "/abs/fill.wav"}));
    EXPECT_EQ(line.ignored, std::vector<std::string>{"fourth.wav"});
    EXPECT_TRUE(parse({}).files.empty());
}

TEST(DesktopCommandLine, InformationOptionsAreAnsweredOnlyBeforeTheSeparator) {
    Arguments plain({"talk.wav"});
    EXPECT_FALSE(quelvo::desktop::answerInformationOptions(plain.argc(), plain.argv()));
    Arguments afterSeparator({"--", "--help"});
    EXPECT_FALSE(
        quelvo::desktop::answerInformationOptions(afterSeparator.argc(), afterSeparator.argv()));
    Arguments version({"--version"});
    ::testing::internal::CaptureStdout();
    const std::optional<int> status =
        quelvo::desktop::answerInformationOptions(version.argc(), version.argv());
    EXPECT_EQ(::testing::internal::GetCapturedStdout().rfind("quelvo ", 0), 0u);
    EXPECT_EQ(status, 0);
}
