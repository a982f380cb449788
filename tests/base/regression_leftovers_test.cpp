// A run of the suite once left a settings folder (and its lock file) per test
// process in the temporary folder: some 450 a run. A run of this executable's
// settings tests, in a temporary folder of its own, must leave it empty.
#include <unistd.h>

#include "support/test_support.h"

using namespace quelvo::test;

TEST(Leftovers, ARunLeavesNothingInTheTemporaryFolder) {
    if (std::getenv("QUELVO_LEFTOVER_CHILD")) GTEST_SKIP() << "already the child run";
    TempDir tmp;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const CommandResult r = runProgram({self.string(), "--gtest_filter=PrefsStore.*:Leftovers.*"},
                                       {"TMPDIR=" + tmp.path().string(), "QUELVO_LEFTOVER_CHILD=1"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tmp.path())) left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.size() << " left behind, the first: " << left.front();
}
