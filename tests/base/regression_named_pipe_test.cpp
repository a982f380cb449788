// Reading a named pipe once waited for a writer that never came: `quelvo-cli
// titles` on a pipe called x.srt, a --settings pipe, or a settings.json that
// is a pipe hung the program. Such a path is now turned away at once.
#include <filesystem>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "base/files.h"
#include "base/prefs.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(NamedPipeRegression, ReadingAPipeFailsAtOnce) {
    quelvo::test::TempDir tmp;
    const fs::path pipe = tmp / "subtitles.srt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string bytes, error;
    EXPECT_FALSE(kykit::fu_readBytes(pipe.string(), bytes, &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_EQ(kykit::fu_readTextFile(pipe.string()), "");
}

TEST(NamedPipeRegression, ASettingsFileThatIsAPipeGivesDefaultsAndAWarning) {
    quelvo::test::TempDir config;
    ASSERT_EQ(::mkfifo((config / "settings.json").c_str(), 0600), 0);
    setenv("QUELVO_CONFIG_DIR", config.path().c_str(), 1);
    auto& store = kykit::PrefsStore::instance();
    store.reload();
    EXPECT_EQ(kykit::prefs_getValueDouble("duck.threshold", -24), -24);
    EXPECT_NE(store.lastWarning().find("not a regular file"), std::string::npos) << store.lastWarning();
    quelvo::test::freshSettings();
}
