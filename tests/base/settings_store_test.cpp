// Contract of the preferences store: what is written reads back, survives a
// restart, is written atomically, and a damaged file is kept aside.
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/settings_store.h"
#include "support/test_support.h"

using namespace quelvo;
using quelvo::test::readFile;
using quelvo::test::writeFile;
namespace fs = std::filesystem;

namespace {
fs::path settingsFile() {
    return SettingsStore::instance().filePath();
}
void restart() {
    SettingsStore::instance().reload();
}
} // namespace

TEST(SettingsStore, DefaultsWhenNothingStoredAndNoFileWritten) {
    EXPECT_EQ(storedDouble("duck.threshold", -24.0), -24.0);
    EXPECT_EQ(storedString("duck.filler", ""), "");
    EXPECT_TRUE(storedBool("x", true));
    EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST(SettingsStore, ValuesRoundTripAcrossARestart) {
    ASSERT_TRUE(storeDouble("duck.decrease", -18.5).ok());
    ASSERT_TRUE(storeString("duck.filler", "/music/fill \"é\" & more.wav").ok());
    ASSERT_TRUE(storeBool("decreaseToZero", true).ok());
    restart();
    EXPECT_EQ(storedDouble("duck.decrease", 0), -18.5);
    EXPECT_EQ(storedString("duck.filler", ""), "/music/fill \"é\" & more.wav");
    EXPECT_TRUE(storedBool("decreaseToZero", false));
    StoredSetting<bool> flag("decreaseToZero", false);
    EXPECT_TRUE(flag.get());
}

TEST(SettingsStore, AValueOfTheWrongTypeReadsAsTheDefault) {
    storeString("duck.threshold", "loud");
    EXPECT_EQ(storedDouble("duck.threshold", -24.0), -24.0);
}

TEST(SettingsStore, CorruptFileIsKeptAsideAndNeverOverwritten) {
    fs::create_directories(settingsFile().parent_path());
    writeFile(settingsFile(), "{\"duck.threshold\": -30, oops");
    restart();
    EXPECT_EQ(storedDouble("duck.threshold", -24.0), -24.0);
    EXPECT_NE(SettingsStore::instance().lastWarning().find("kept as"), std::string::npos);
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(settingsFile().parent_path()))
        if (e.path().filename().string().find("settings.json.corrupt-") == 0)
            aside.push_back(e.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(readFile(aside[0]), "{\"duck.threshold\": -30, oops");
    // New settings go to a new file; the damaged one stays as it was.
    ASSERT_TRUE(storeDouble("duck.decrease", -6).ok());
    EXPECT_EQ(readFile(aside[0]), "{\"duck.threshold\": -30, oops");
}

TEST(SettingsStore, AFailedWriteIsReportedAndTheRunningProgramKeepsTheValue) {
    // Root ignores folder permissions, so a settings path taken by a folder
    // stands in for any file that cannot be replaced.
    fs::create_directories(settingsFile());
    restart();
    const Status s = storeDouble("duck.decrease", -20);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("settings.json"), std::string::npos) << s.message();
    EXPECT_EQ(storedDouble("duck.decrease", 0), -20);
    EXPECT_NE(SettingsStore::instance().lastWarning().find("folder"), std::string::npos);
}

TEST(SettingsStore, ConcurrentWritersInOneProcessLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i)
                storeDouble("k" + std::to_string(t) + "_" + std::to_string(i), t * 100 + i);
        });
    for (auto& th : threads)
        th.join();
    restart();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ(storedDouble("k" + std::to_string(t) + "_" + std::to_string(i), -1),
                      t * 100 + i);
}

TEST(SettingsStore, ConcurrentWriterProcessesLoseNothing) {
    std::vector<pid_t> children;
    for (int p = 0; p < 3; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            SettingsStore::instance().reload();
            for (int i = 0; i < 20; ++i)
                storeDouble("p" + std::to_string(p) + "_" + std::to_string(i), i);
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
            EXPECT_EQ(storedDouble("p" + std::to_string(p) + "_" + std::to_string(i), -1), i);
    const auto parsed = nlohmann::json::parse(readFile(settingsFile()));
    EXPECT_EQ(parsed.size(), 60u);
}

// A settings folder ($QUELVO_CONFIG_DIR) that is a file was once taken in
// silence for a first run, so nothing the user changed could ever be stored
// and nobody said why. Found by the command line's bad-input tests.
TEST(SettingsFolderRegression, AFileInTheFoldersPlaceIsNamedInAWarning) {
    quelvo::test::TempDir tmp;
    const auto notAFolder = tmp / "config";
    quelvo::test::writeFile(notAFolder, "x");
    setenv("QUELVO_CONFIG_DIR", notAFolder.c_str(), 1);
    auto& store = quelvo::SettingsStore::instance();
    store.reload();
    EXPECT_EQ(quelvo::storedDouble("duck.threshold", -24), -24);
    EXPECT_EQ(store.lastWarning(), "cannot read settings file " +
                                       (notAFolder / "settings.json").string() + ": " +
                                       notAFolder.string() + " is not a folder; using defaults");
    EXPECT_FALSE(quelvo::storeDouble("duck.threshold", -30).ok());
    EXPECT_EQ(quelvo::test::readFile(notAFolder), "x");
    quelvo::test::freshSettings();
}

TEST(SettingsFolderRegression, NoFileYetIsAFirstRunWithoutWarning) {
    quelvo::test::TempDir tmp;
    setenv("QUELVO_CONFIG_DIR", (tmp / "not yet made").c_str(), 1);
    auto& store = quelvo::SettingsStore::instance();
    store.reload();
    EXPECT_EQ(store.lastWarning(), "");
    quelvo::test::freshSettings();
}

// A run of the suite once left a settings folder (and its lock file) per test
// process in the temporary folder: some 450 a run. A run of this executable's
// settings tests, in a temporary folder of its own, must leave it empty.
TEST(Leftovers, ARunLeavesNothingInTheTemporaryFolder) {
    if (std::getenv("QUELVO_LEFTOVER_CHILD")) GTEST_SKIP() << "already the child run";
    quelvo::test::TempDir tmp;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const quelvo::test::CommandResult r =
        quelvo::test::runProgram({self.string(), "--gtest_filter=SettingsStore.*:Leftovers.*"},
                                 {"TMPDIR=" + tmp.path().string(), "QUELVO_LEFTOVER_CHILD=1"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tmp.path()))
        left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.size() << " left behind, the first: " << left.front();
}
