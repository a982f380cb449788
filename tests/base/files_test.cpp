// File services: names, atomic writes that survive a crash, text decoding.
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/files.h"
#include "base/settings_store.h"
#include "support/test_support.h"

using namespace quelvo;
using quelvo::test::readFile;
using quelvo::test::TempDir;
using quelvo::test::writeFile;
namespace fs = std::filesystem;

TEST(FileNames, ExtensionAndLastComponent) {
    EXPECT_EQ(pathWithoutExtension("/a/b/talk.wav"), "/a/b/talk");
    EXPECT_EQ(pathWithoutExtension("/a/b.c/talk"), "/a/b.c/talk");
    EXPECT_EQ(pathWithoutExtension("/a/.hidden"), "/a/.hidden");
    EXPECT_EQ(pathWithoutExtension("/a/my.talk.take2.m4a"), "/a/my.talk.take2");
    EXPECT_EQ(fileNameOf("/a/b/talk.wav"), "talk.wav");
    EXPECT_EQ(fileNameOf("talk.wav"), "talk.wav");
}

TEST(FileExists, OnlyRegularFilesOfTheGivenSize) {
    TempDir dir;
    writeFile(dir / "a.wav", std::string(2048, 'x'));
    fs::create_directory(dir / "x.mp3");
    EXPECT_TRUE(fileExists((dir / "a.wav").string()));
    EXPECT_TRUE(fileExists((dir / "a.wav").string(), 2));
    EXPECT_FALSE(fileExists((dir / "a.wav").string(), 3));
    EXPECT_FALSE(fileExists((dir / "x.mp3").string()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists((dir / "missing.wav").string()));
}

TEST(AtomicWrite, ReplacesTheFileAndKeepsItsPermissions) {
    TempDir dir;
    const fs::path file = dir / "p.fcpxml";
    writeFile(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeTextFile(file.string(), "new text").ok());
    EXPECT_EQ(readFile(file), "new text");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // No temporary file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(AtomicWrite, FailureIsReportedWithThePathAndReason) {
    TempDir dir;
    const Status s = writeTextFile((dir / "no" / "such" / "folder.fcpxml").string(), "x");
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("folder.fcpxml"), std::string::npos);
    EXPECT_NE(s.message().find("No such file"), std::string::npos) << s.message();
    EXPECT_FALSE(writeTextFile("", "x").ok());
}

TEST(AtomicWrite, AKillHalfWayThroughLeavesTheOldFileIntact) {
    TempDir dir;
    const fs::path file = dir / "project.fcpxml";
    writeFile(file, "the good old project");
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QUELVO_KILL_DURING_WRITE", "1", 1);
        writeTextFile(file.string(), std::string(1 << 20, 'n'));
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the write was expected to be killed half-way";
    EXPECT_EQ(readFile(file), "the good old project");
}

TEST(ReadText, HonoursByteOrderMarksAndRejectsInvalidUtf8) {
    TempDir dir;
    writeFile(dir / "u8.srt", "\xEF\xBB\xBF"
                              "1\nH\xC3\xA9");
    writeFile(dir / "le.srt", std::string("\xFF\xFE"
                                          "1\0\n\0\xE9\0",
                                          8));
    writeFile(dir / "be.srt", std::string("\xFE\xFF\0"
                                          "1\0\n\0\xE9",
                                          8));
    writeFile(dir / "latin.srt", "caf\xE9");
    writeFile(dir / "empty.srt", "");
    EXPECT_EQ(readTextFile((dir / "u8.srt").string()), "1\nH\xC3\xA9");
    EXPECT_EQ(readTextFile((dir / "le.srt").string()), "1\n\xC3\xA9");
    EXPECT_EQ(readTextFile((dir / "be.srt").string()), "1\n\xC3\xA9");
    EXPECT_EQ(readTextFile((dir / "latin.srt").string()), "");
    EXPECT_EQ(readTextFile((dir / "empty.srt").string()), "");
    EXPECT_EQ(readTextFile((dir / "missing.srt").string()), "");
    EXPECT_EQ(readTextFile(dir.path().string()), "");
}

// Reading a named pipe once waited for a writer that never came: `quelvo-cli
// titles` on a pipe called x.srt, a --settings pipe, or a settings.json that
// is a pipe hung the program. Such a path is now turned away at once.
TEST(NamedPipeRegression, ReadingAPipeFailsAtOnce) {
    quelvo::test::TempDir tmp;
    const fs::path pipe = tmp / "subtitles.srt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string bytes, error;
    EXPECT_FALSE(quelvo::readFileBytes(pipe.string(), bytes, &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_EQ(quelvo::readTextFile(pipe.string()), "");
}

TEST(NamedPipeRegression, ASettingsFileThatIsAPipeGivesDefaultsAndAWarning) {
    quelvo::test::TempDir config;
    ASSERT_EQ(::mkfifo((config / "settings.json").c_str(), 0600), 0);
    setenv("QUELVO_CONFIG_DIR", config.path().c_str(), 1);
    auto& store = quelvo::SettingsStore::instance();
    store.reload();
    EXPECT_EQ(quelvo::storedDouble("duck.threshold", -24), -24);
    EXPECT_NE(store.lastWarning().find("not a regular file"), std::string::npos)
        << store.lastWarning();
    quelvo::test::freshSettings();
}
