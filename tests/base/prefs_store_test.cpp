// Contract of the preferences store: what is written reads back, survives a
// restart, is written atomically, and a damaged file is kept aside.
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/prefs.h"
#include "support/test_support.h"

using namespace kykit;
using quelvo::test::readFile;
using quelvo::test::writeFile;
namespace fs = std::filesystem;

namespace {
fs::path settingsFile() { return PrefsStore::instance().filePath(); }
void restart() { PrefsStore::instance().reload(); }
} // namespace

TEST(PrefsStore, DefaultsWhenNothingStoredAndNoFileWritten) {
    EXPECT_EQ(prefs_getValueDouble("duck.threshold", -24.0), -24.0);
    EXPECT_EQ(prefs_getValueString("duck.filler", ""), "");
    EXPECT_TRUE(prefs_getValueBool("x", true));
    EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST(PrefsStore, ValuesRoundTripAcrossARestart) {
    ASSERT_TRUE(prefs_setValueDouble("duck.decrease", -18.5).ok());
    ASSERT_TRUE(prefs_setValueString("duck.filler", "/music/fill \"é\" & more.wav").ok());
    ASSERT_TRUE(prefs_setValueBool("decreaseToZero", true).ok());
    restart();
    EXPECT_EQ(prefs_getValueDouble("duck.decrease", 0), -18.5);
    EXPECT_EQ(prefs_getValueString("duck.filler", ""), "/music/fill \"é\" & more.wav");
    EXPECT_TRUE(prefs_getValueBool("decreaseToZero", false));
    KyDef<bool> flag("decreaseToZero", false);
    EXPECT_TRUE(flag.get());
}

TEST(PrefsStore, AValueOfTheWrongTypeReadsAsTheDefault) {
    prefs_setValueString("duck.threshold", "loud");
    EXPECT_EQ(prefs_getValueDouble("duck.threshold", -24.0), -24.0);
}

TEST(PrefsStore, CorruptFileIsKeptAsideAndNeverOverwritten) {
    fs::create_directories(settingsFile().parent_path());
    writeFile(settingsFile(), "{\"duck.threshold\": -30, oops");
    restart();
    EXPECT_EQ(prefs_getValueDouble("duck.threshold", -24.0), -24.0);
    EXPECT_NE(PrefsStore::instance().lastWarning().find("kept as"), std::string::npos);
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(settingsFile().parent_path()))
        if (e.path().filename().string().find("settings.json.corrupt-") == 0) aside.push_back(e.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(aside[0]), "{\"duck.threshold\": -30, oops");
    // New settings go to a new file; the damaged one stays as it was.
    ASSERT_TRUE(prefs_setValueDouble("duck.decrease", -6).ok());
    EXPECT_EQ(readFile(aside[0]), "{\"duck.threshold\": -30, oops");
}

TEST(PrefsStore, AFailedWriteIsReportedAndTheRunningProgramKeepsTheValue) {
    // Root ignores folder permissions, so a settings path taken by a folder
    // stands in for any file that cannot be replaced.
    fs::create_directories(settingsFile());
    restart();
    const Status s = prefs_setValueDouble("duck.decrease", -20);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("settings.json"), std::string::npos) << s.message();
    EXPECT_EQ(prefs_getValueDouble("duck.decrease", 0), -20);
    EXPECT_NE(PrefsStore::instance().lastWarning().find("folder"), std::string::npos);
}

TEST(PrefsStore, ConcurrentWritersInOneProcessLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i)
                prefs_setValueDouble("k" + std::to_string(t) + "_" + std::to_string(i), t * 100 + i);
        });
    for (auto& th : threads) th.join();
    restart();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(prefs_getValueDouble("k" + std::to_string(t) + "_" + std::to_string(i), -1), t * 100 + i);
}

TEST(PrefsStore, ConcurrentWriterProcessesLoseNothing) {
    std::vector<pid_t> children;
    for (int p = 0; p < 3; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            PrefsStore::instance().reload();
            for (int i = 0; i < 20; ++i)
                prefs_setValueDouble("p" + std::to_string(p) + "_" + std::to_string(i), i);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    restart();
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(prefs_getValueDouble("p" + std::to_string(p) + "_" + std::to_string(i), -1), i);
    const auto parsed = nlohmann::json::parse(readFile(settingsFile()));
    EXPECT_EQ(parsed.size(), 60u);
}
