// Where the output cannot go: a read-only folder, a full disk, a folder in
// the output's place, a folder that is not there. Every writing command must
// stop with exit 1 and one line naming the file and the reason, and leave the
// folder as it was: an earlier project intact, no temporary file behind.
//
// Tests run as root, which ignores permissions, so read-only and full folders
// are real mounts: a read-only bind mount and a 64 KiB tmpfs, made in a mount
// namespace of the test process's own (nothing reaches the machine's mounts,
// and they go when the process ends). Where the sandbox allows no mounting
// these tests are skipped with the reason.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include "badinput_support.h"
#include "support/opener_recorder.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

// Why this process cannot mount, or "" when it can (then in a namespace of
// its own, private from the machine's).
const std::string& mountingUnavailable() {
    static const std::string why = []() -> std::string {
        if (::unshare(CLONE_NEWNS) != 0)
            return std::string("no mount namespace: ") + std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return std::string("cannot make the mounts private: ") + std::strerror(errno);
        return "";
    }();
    return why;
}

#define QUELVO_REQUIRE_MOUNTS()                                                                    \
    do {                                                                                           \
        if (!mountingUnavailable().empty())                                                        \
            GTEST_SKIP() << "mounting is not allowed here (" << mountingUnavailable()              \
                         << "): read-only and full folders cannot be made";                        \
    } while (0)

// A mount over `at`, undone when the object goes (before the folder is removed).
class Mount {
  public:
    // A read-only view of the folder as it is.
    static std::string readOnly(const fs::path& at, std::optional<Mount>& into) {
        if (::mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return std::string("bind mount: ") + std::strerror(errno);
        into.emplace(at);
        if (::mount(nullptr, at.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return std::string("read-only remount: ") + std::strerror(errno);
        return "";
    }
    // A small empty file system.
    static std::string tmpfs(const fs::path& at, const std::string& size,
                             std::optional<Mount>& into) {
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return std::string("tmpfs mount: ") + std::strerror(errno);
        into.emplace(at);
        return "";
    }
    explicit Mount(fs::path at) : m_at(std::move(at)) {}
    ~Mount() { ::umount2(m_at.c_str(), MNT_DETACH); }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

  private:
    fs::path m_at;
};

// Fills the file system holding `dir` to the last byte.
void fill(const fs::path& dir) {
    const int fd = ::open((dir / "ballast").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'b');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    for (size_t n = 512; n > 0; n /= 2)
        while (::write(fd, block.data(), n) > 0) {
        }
    ::close(fd);
}

class OutputTrouble : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
    }
    CommandResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        // These cases write over earlier projects on purpose.
        if (args[0] == "duck" || args[0] == "titles") args.push_back("--force");
        args.insert(args.begin(), cli().string());
        return runProgram(args, env);
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
};

} // namespace

TEST_F(OutputTrouble, ReadOnlyFolderKeepsTheEarlierProjects) {
    QUELVO_REQUIRE_MOUNTS();
    const fs::path ro = m_dir / "read-only";
    fs::create_directory(ro);
    const std::string talk = (ro / "talk.wav").string(), srt = (ro / "talk.srt").string();
    fs::copy_file(m_rec.talk, talk);
    fs::copy_file(m_rec.srt, srt);
    writeFile(ro / "talk.fcpxml", "the earlier project");
    std::optional<Mount> mount;
    if (const std::string why = Mount::readOnly(ro, mount); !why.empty())
        GTEST_SKIP() << "cannot make a read-only folder: " << why;
    writeFile(ro / "probe", "x");
    if (fs::exists(ro / "probe")) GTEST_SKIP() << "the read-only mount did not hold";
    const Tree before = snapshot(m_dir.path());
    const std::string project = (ro / "talk.fcpxml").string();

    for (const std::string format : {"1.9", "1.6"}) {
        const CommandResult r =
            run({"duck", "--dialogue", talk, "--music", m_rec.bed, "--format", format});
        expectFailure(r, 1, project, "Cannot write " + project + ": ", "Read-only file system");
        EXPECT_EQ(r.out, "");
        if (format == "1.9") note("duck", "read-only output folder", r);
    }
    const CommandResult t = run({"titles", srt});
    expectFailure(t, 1, project, "cannot write " + project + ": ", "Read-only file system");
    note("titles", "read-only output folder", t);
    // Reading from it is fine.
    const CommandResult a = run({"analyze", talk});
    expectSuccess(a);
    note("analyze", "input in a read-only folder (writes nothing)", a);
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

TEST_F(OutputTrouble, ReadOnlyCacheStopsTheHandOver) {
    QUELVO_REQUIRE_MOUNTS();
    OpenerRecorder opener;
    const fs::path handoff = opener.handoffDir();
    fs::create_directories(handoff);
    std::optional<Mount> mount;
    if (const std::string why = Mount::readOnly(handoff, mount); !why.empty())
        GTEST_SKIP() << "cannot make a read-only folder: " << why;
    const CommandResult r =
        run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--send-to-fcp"});
    expectFailure(r, 1, handoff.string(),
                  "could not hand the project to Final Cut Pro: cannot write ",
                  "Read-only file system");
    note("duck --send-to-fcp", "read-only hand-over folder", r);
    EXPECT_TRUE(opener.calls().empty());
    EXPECT_TRUE(opener.handoffFiles().empty());
}

TEST_F(OutputTrouble, FullDiskKeepsTheEarlierProjectsAndLeavesNoTemporaryFile) {
    QUELVO_REQUIRE_MOUNTS();
    const fs::path full = m_dir / "full";
    fs::create_directory(full);
    std::optional<Mount> mount;
    if (const std::string why = Mount::tmpfs(full, "64k", mount); !why.empty())
        GTEST_SKIP() << "cannot make a small file system: " << why;
    const std::string project = (full / "show.fcpxml").string();
    writeFile(project, "the earlier project");
    fill(full);
    const Tree before = snapshot(m_dir.path());

    for (const std::string format : {"1.9", "1.6"}) {
        const CommandResult r = run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed,
                                     "--format", format, "--output", project});
        expectFailure(r, 1, project, "Cannot write " + project + ": ", "No space left on device");
        EXPECT_EQ(r.out, "");
        if (format == "1.9") note("duck", "full disk (64 KiB tmpfs)", r);
    }
    const CommandResult t = run({"titles", m_rec.srt, "--output", project});
    expectFailure(t, 1, project, "cannot write " + project + ": ", "No space left on device");
    note("titles", "full disk (64 KiB tmpfs)", t);
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

TEST_F(OutputTrouble, FullDiskStopsTheHandOver) {
    QUELVO_REQUIRE_MOUNTS();
    OpenerRecorder opener;
    const fs::path handoff = opener.handoffDir();
    fs::create_directories(handoff);
    std::optional<Mount> mount;
    if (const std::string why = Mount::tmpfs(handoff, "64k", mount); !why.empty())
        GTEST_SKIP() << "cannot make a small file system: " << why;
    fill(handoff);
    const CommandResult r =
        run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--send-to-fcp"});
    expectFailure(r, 1, handoff.string(),
                  "could not hand the project to Final Cut Pro: cannot write ",
                  "No space left on device");
    note("duck --send-to-fcp", "full disk (64 KiB tmpfs)", r);
    EXPECT_TRUE(opener.calls().empty());
    EXPECT_EQ(opener.handoffFiles(), std::vector<fs::path>{handoff / "ballast"});
}

TEST_F(OutputTrouble, AFolderInTheOutputsPlaceOrNoFolderAtAll) {
    const fs::path folder = m_dir / "taken.fcpxml";
    fs::create_directory(folder);
    const std::string missing = (m_dir / "no such folder" / "x.fcpxml").string();
    const Tree before = snapshot(m_dir.path());
    for (const std::string format : {"1.9", "1.6"}) {
        CommandResult r = run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--format",
                               format, "--output", folder.string()});
        expectFailure(r, 1, folder.string(), "cannot write " + folder.string() + ": ",
                      "it is a folder, not a file");
        if (format == "1.9") note("duck", "--output is a folder", r);
        r = run({"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--format", format,
                 "--output", missing});
        expectFailure(r, 1, missing, "Cannot write " + missing + ": ", "No such file or directory");
        if (format == "1.9") note("duck", "--output in a folder that does not exist", r);
    }
    CommandResult t = run({"titles", m_rec.srt, "--output", folder.string()});
    expectFailure(t, 1, folder.string(), "cannot write " + folder.string() + ": ",
                  "it is a folder, not a file");
    note("titles", "--output is a folder", t);
    t = run({"titles", m_rec.srt, "--output", missing});
    expectFailure(t, 1, missing, "cannot write " + missing + ": ", "No such file or directory");
    note("titles", "--output in a folder that does not exist", t);
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}
