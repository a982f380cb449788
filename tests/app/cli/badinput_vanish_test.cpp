// Files that go away or change while `quelvo-cli duck` runs: the dialogue
// deleted or overwritten after it was probed, the music cut short before its
// analysis, the output folder removed before the write. The job must stop
// with exit 1 and one line naming the file, and write nothing.
//
// The moment is fixed, not guessed: standard error is a one-page pipe filled
// so that exactly the stage lines before the chosen one fit. The program
// blocks writing that line, which this test sees in /proc (the write system
// call on descriptor 2); the file is changed then, and the pipe drained. The
// bytes the program wrote before blocking are checked to be exactly the
// earlier stage lines, so the change happened between those two stages.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "badinput_support.h"
#include "jobs/duck_job.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

constexpr size_t kPipeBytes = 4096;

struct PausedRun {
    CommandResult result;
    std::string writtenBeforePause; // what the program wrote before it blocked
    std::string skip;               // why pausing is impossible here, or ""
};

// True when a thread of pid is blocked in write(2, ...).
bool blockedWritingStandardError(pid_t pid) {
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        const std::string line = readFile(task.path() / "syscall");
        if (line.rfind(std::to_string(SYS_write) + " 0x2 ", 0) == 0) return true;
    }
    return false;
}

PausedRun runPausedBefore(std::vector<std::string> args,
                          const std::vector<std::string>& stagesBefore,
                          const std::function<void()>& whilePaused) {
    PausedRun run;
    if (readFile("/proc/self/syscall").empty()) {
        run.skip = "/proc/<pid>/syscall cannot be read here";
        return run;
    }
    size_t room = 0;
    for (const std::string& s : stagesBefore)
        room += s.size() + 1;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0 ||
        ::fcntl(fds[1], F_SETPIPE_SZ, kPipeBytes) != static_cast<int>(kPipeBytes)) {
        run.skip = std::string("cannot make a one-page pipe: ") + std::strerror(errno);
        return run;
    }
    const std::string filler(kPipeBytes - room, '.');
    if (::write(fds[1], filler.data(), filler.size()) != static_cast<ssize_t>(filler.size())) {
        run.skip = "cannot fill the pipe";
        return run;
    }
    TempDir tmp;
    const fs::path outPath = tmp / "out";
    args.insert(args.begin(), cli().string());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nullFd = ::open("/dev/null", O_RDONLY);
        ::dup2(nullFd, 0);
        ::dup2(outFd, 1);
        ::dup2(fds[1], 2);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    bool exited = false;
    while (!blockedWritingStandardError(pid)) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            break;
        }
        ::usleep(1000);
    }
    if (!exited) whilePaused();
    std::string err;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        err.append(buf, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (!exited) ::waitpid(pid, &status, 0);
    run.result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    err.erase(0, filler.size());
    run.writtenBeforePause = exited ? err : err.substr(0, room);
    run.result.err = err;
    run.result.out = readFile(outPath);
    return run;
}

std::string lines(const std::vector<std::string>& stages) {
    std::string out;
    for (const std::string& s : stages)
        out += s + "\n";
    return out;
}

class VanishingFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
    }
    // Pauses before `stage`, runs `change`, and checks the pause came exactly there.
    CommandResult duckChanging(std::vector<std::string> args,
                               const std::vector<std::string>& before,
                               const std::function<void()>& change) {
        args.insert(args.begin(), "duck");
        PausedRun run = runPausedBefore(args, before, change);
        if (!run.skip.empty()) {
            m_skip = run.skip;
            return run.result;
        }
        EXPECT_EQ(run.writtenBeforePause, lines(before))
            << "the program did not pause where expected:\n"
            << run.result.err;
        return run.result;
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    std::string m_skip;
    const std::vector<std::string> m_untilAnalysis = {quelvo::kStageInitializing,
                                                      quelvo::kStageMetadata};
};

} // namespace

TEST_F(VanishingFiles, DialogueDeletedAfterItWasProbed) {
    const Tree before = snapshot(m_dir.path());
    const CommandResult r = duckChanging({"--dialogue", m_rec.talk, "--music", m_rec.bed},
                                         m_untilAnalysis, [&] { fs::remove(m_rec.talk); });
    if (!m_skip.empty()) GTEST_SKIP() << m_skip;
    expectFailure(r, 1, m_rec.talk, "Cannot read the dialogue file " + m_rec.talk + ": ",
                  "the file does not exist");
    note("duck --dialogue", "deleted after the probe, before the analysis", r);
    Tree expected = before;
    expected.erase("talk.wav");
    EXPECT_EQ(snapshot(m_dir.path()), expected) << describe(snapshot(m_dir.path()));
}

TEST_F(VanishingFiles, DialogueOverwrittenWithNoiseAfterItWasProbed) {
    const CommandResult r =
        duckChanging({"--dialogue", m_rec.talk, "--music", m_rec.bed}, m_untilAnalysis,
                     [&] { writeFile(m_rec.talk, noise(64 * 1024, 3)); });
    if (!m_skip.empty()) GTEST_SKIP() << m_skip;
    expectFailure(r, 1, m_rec.talk, "Cannot read the dialogue file " + m_rec.talk + ": ",
                  "Invalid data");
    note("duck --dialogue", "overwritten with noise after the probe", r);
    EXPECT_FALSE(fs::exists(m_dir / "talk.fcpxml"));
}

TEST_F(VanishingFiles, MusicCutShortBeforeItsAnalysis) {
    const std::string filler = (m_dir / "filler.wav").string();
    fs::copy_file(m_rec.bed, filler);
    const std::string whole = readFile(m_rec.bed);
    // Cut before the analysing stage: with one job the music is analysed
    // after the dialogue, with more beside it, from that stage on.
    for (const std::string jobs : {"1", "2"}) {
        SCOPED_TRACE("--jobs " + jobs);
        writeFile(m_rec.bed, whole);
        const CommandResult r = duckChanging(
            {"--dialogue", m_rec.talk, "--music", m_rec.bed, "--filler", filler, "--jobs", jobs},
            m_untilAnalysis, [&] { writeCut(m_rec.bed, m_rec.bed, 0.25); });
        if (!m_skip.empty()) GTEST_SKIP() << m_skip;
        expectFailure(r, 1, m_rec.bed, "Cannot read the music file " + m_rec.bed + ": ",
                      "the file ends early");
        if (jobs == "1") note("duck --music", "cut short after the probe, before its analysis", r);
        EXPECT_FALSE(fs::exists(m_dir / "talk.fcpxml"));
    }
}

TEST_F(VanishingFiles, OutputFolderRemovedBeforeTheWrite) {
    const fs::path folder = m_dir / "projects";
    fs::create_directory(folder);
    const std::string output = (folder / "show.fcpxml").string();
    for (const std::string format : {"1.9", "1.6"}) {
        fs::create_directories(folder);
        const CommandResult r = duckChanging({"--dialogue", m_rec.talk, "--music", m_rec.bed,
                                              "--format", format, "--output", output},
                                             m_untilAnalysis, [&] { fs::remove_all(folder); });
        if (!m_skip.empty()) GTEST_SKIP() << m_skip;
        expectFailure(r, 1, output, "Cannot write " + output + ": ", "No such file or directory");
        if (format == "1.9") note("duck", "output folder removed during the job", r);
        EXPECT_FALSE(fs::exists(folder));
    }
}
