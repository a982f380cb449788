// Every file quelvo-cli writes obeys one set of rules (docs/writing-files.md):
// replaced only with --force; never one of the inputs or another output;
// never a folder, device or pipe; written through a link; names up to the
// system's limit; a stopped render leaves no hidden file; and a lost
// standard output is a failure, said once, after the files are written.
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "badinput_support.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

enum class Stdout { file, closed, brokenPipe, full };

// quelvo-cli started with standard output as given (kept in `out` for a
// file); standard error goes to `err`.
pid_t start(std::vector<std::string> args, const fs::path& config, Stdout mode, const fs::path& out,
            const fs::path& err) {
    args.insert(args.begin(), cli().string());
    int pipeFds[2] = {-1, -1};
    if (mode == Stdout::brokenPipe && ::pipe(pipeFds) != 0) return -1;
    const std::string env = "QUELVO_CONFIG_DIR=" + config.string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(errFd, 2);
        if (mode == Stdout::closed) ::close(1);
        if (mode == Stdout::brokenPipe) ::dup2(pipeFds[1], 1), ::close(pipeFds[0]);
        if (mode == Stdout::full) ::dup2(::open("/dev/full", O_WRONLY), 1);
        if (mode == Stdout::file)
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        // As a shell starts a job in the foreground, whatever this test runs under.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        putenv(const_cast<char*>(env.c_str()));
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // The reader is gone before the first line is written.
    if (mode == Stdout::brokenPipe) ::close(pipeFds[0]), ::close(pipeFds[1]);
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Hidden temporary files in the folder.
size_t hiddenIn(const fs::path& dir) {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        n += e.path().filename().string().find(".tmp-") != std::string::npos;
    return n;
}

class OutputRules : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
    }
    CommandResult run(std::vector<std::string> args) {
        args.insert(args.begin(), cli().string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + (m_dir / "config").string()});
    }
    CommandResult duck(std::vector<std::string> more) {
        more.insert(more.begin(), {"duck", "--dialogue", m_rec.talk, "--music", m_rec.bed});
        return run(more);
    }
    CommandResult render(std::vector<std::string> more) {
        more.insert(more.begin(), {"render", "--dialogue", m_rec.talk, "--music", m_rec.bed});
        return run(more);
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
};

} // namespace

TEST_F(OutputRules, PlotsAndStemsAreReplacedOnlyWithForce) {
    const fs::path plot = m_dir / "plot.svg", stem = m_dir / "mix_music.wav",
                   mix = m_dir / "mix.wav";
    writeFile(plot, "mine");
    writeFile(stem, "mine");
    expectFailure(duck({"--plot", plot.string()}), 1, plot.string(), "already exists; use --force");
    expectFailure(render({"--output", mix.string(), "--stems"}), 1, stem.string(),
                  "already exists; use --force");
    EXPECT_EQ(readFile(plot), "mine");
    EXPECT_EQ(readFile(stem), "mine");
    EXPECT_FALSE(fs::exists(m_dir / "talk.fcpxml"));
    EXPECT_FALSE(fs::exists(mix));
    expectSuccess(duck({"--plot", plot.string(), "--force"}));
    expectSuccess(render({"--output", mix.string(), "--stems", "--force"}));
    EXPECT_NE(readFile(plot).find("<svg"), std::string::npos);
    EXPECT_EQ(readFile(stem).substr(0, 4), "RIFF");
}

TEST_F(OutputRules, NoOutputIsAnInputOrAnotherOutputEvenWithForce) {
    fs::create_symlink("bed.wav", m_dir / "bed link.wav");
    fs::create_hard_link(m_rec.talk, m_dir / "talk copy.wav");
    fs::create_hard_link(m_rec.bed, m_dir / "x_music.wav");
    const std::string dot = (m_dir / "." / "bed.wav").string(),
                      link = (m_dir / "bed link.wav").string();
    const std::string hard = (m_dir / "talk copy.wav").string(),
                      project = (m_dir / "p.fcpxml").string();
    const Tree before = snapshot(m_dir.path());
    const std::string ducked = "it is one of the recordings being ducked";
    expectFailure(duck({"--output", dot, "--force"}), 1, dot, ducked);
    expectFailure(duck({"--output", link, "--force"}), 1, link, ducked);
    expectFailure(duck({"--plot", hard, "--force"}), 1, hard, ducked);
    const std::string same = (m_dir / "sub" / ".." / "p.fcpxml").string();
    fs::create_directory(m_dir / "sub");
    expectFailure(duck({"--output", project, "--plot", same, "--force"}), 1, same,
                  "it is the same file as");
    fs::remove(m_dir / "sub");
    expectFailure(run({"titles", m_rec.srt, "--output", m_rec.srt, "--force"}), 1, m_rec.srt,
                  "it is one of the files being read");
    expectFailure(render({"--output", hard, "--force"}), 1, hard,
                  "it is one of the recordings being mixed");
    const std::string stemOfX = (m_dir / "x_music.wav").string();
    expectFailure(render({"--output", (m_dir / "x.wav").string(), "--stems", "--force"}), 1,
                  stemOfX, "it is one of the recordings being mixed");
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

TEST_F(OutputRules, SpecialFilesAreRefusedAndLinksWrittenThrough) {
    ASSERT_EQ(::mkfifo((m_dir / "fifo.fcpxml").c_str(), 0644), 0);
    fs::create_directory(m_dir / "folder.wav");
    const std::string fifo = (m_dir / "fifo.fcpxml").string(),
                      folder = (m_dir / "folder.wav").string();
    expectFailure(duck({"--output", fifo, "--force"}), 1, fifo, "it is a named pipe, not a file");
    expectFailure(run({"titles", m_rec.srt, "--output", "/dev/null", "--force"}), 1, "/dev/null",
                  "it is a device, not a file");
    expectFailure(render({"--output", folder, "--force"}), 1, folder, "it is a folder, not a file");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_directory(folder));

    // Links to files in another folder: the link stays, its target is replaced.
    fs::create_directory(m_dir / "kept");
    writeFile(m_dir / "kept" / "p.fcpxml", "old");
    writeFile(m_dir / "kept" / "m.flac", "old");
    fs::create_symlink("kept/p.fcpxml", m_dir / "p.fcpxml");
    fs::create_symlink(m_dir / "kept" / "m.flac", m_dir / "m.flac");
    expectSuccess(duck({"--output", (m_dir / "p.fcpxml").string(), "--force"}));
    expectSuccess(render({"--output", (m_dir / "m.flac").string(), "--force"}));
    EXPECT_TRUE(fs::is_symlink(m_dir / "p.fcpxml"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "m.flac"));
    EXPECT_VALID_FCPXML(readFile(m_dir / "kept" / "p.fcpxml"), "1.9");
    EXPECT_EQ(readFile(m_dir / "kept" / "m.flac").substr(0, 4), "fLaC");
    EXPECT_EQ(hiddenIn(m_dir.path()) + hiddenIn(m_dir / "kept"), 0u);
}

TEST_F(OutputRules, NamesUpToTheSystemsLimit) {
    for (const size_t length : {240u, 255u}) {
        const std::string stem = std::string(length - 7, 'p');
        const fs::path project = m_dir / (stem + ".fcpxml"),
                       titles = m_dir / (std::string(length - 7, 't') + ".fcpxml");
        const fs::path mix = m_dir / (std::string(length - 4, 'm') + ".wav");
        expectSuccess(duck({"--output", project.string()}));
        expectSuccess(run({"titles", m_rec.srt, "--output", titles.string()}));
        expectSuccess(render({"--output", mix.string()}));
        EXPECT_VALID_FCPXML(readFile(project), "1.9");
        EXPECT_VALID_FCPXML(readFile(titles), "1.9");
        EXPECT_GT(fs::file_size(mix), 44u);
    }
    EXPECT_EQ(hiddenIn(m_dir.path()), 0u);
}

TEST_F(OutputRules, AStoppedRenderLeavesNoHiddenFileAndTheEarlierMix) {
    // Ten minutes each: long enough to be caught while the mix is written.
    const std::string talk = (m_dir / "long.wav").string(), bed = (m_dir / "longbed.wav").string();
    ASSERT_TRUE(
        Recordings::sox({"-n", "-r", "44100", "-c", "1", talk, "synth", "600", "sine", "300"}));
    ASSERT_TRUE(Recordings::sox(
        {"-n", "-r", "44100", "-c", "2", bed, "synth", "600", "sine", "220", "gain", "-12"}));
    const fs::path mix = m_dir / "long_mix.wav";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        writeFile(mix, "earlier mix");
        const pid_t pid = start({"render", "--dialogue", talk, "--music", bed, "--force"},
                                m_dir / "config", Stdout::file, m_dir / "out", m_dir / "err");
        bool caught = false;
        for (int i = 0; i < 30000 && !caught; ++i) {
            caught = hiddenIn(m_dir.path()) > 0;
            if (!caught) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(caught) << "the render was not seen writing";
        ::kill(pid, signal);
        EXPECT_EQ(waitFor(pid), 128 + signal);
        EXPECT_TRUE(readFile(mix) == "earlier mix");
        EXPECT_EQ(hiddenIn(m_dir.path()), 0u);
    }
}

// Stopped while it analyses, duck ends by the signal (128 + its number in
// the shell) and the earlier project stays as it was, with nothing hidden
// left beside it.
TEST_F(OutputRules, AStoppedDuckLeavesTheEarlierProjectAndNothingHidden) {
    const std::string talk = (m_dir / "longtalk.wav").string(),
                      bed = (m_dir / "longbed.wav").string();
    ASSERT_TRUE(
        Recordings::sox({"-n", "-r", "44100", "-c", "1", talk, "synth", "600", "sine", "300"}));
    ASSERT_TRUE(Recordings::sox(
        {"-n", "-r", "44100", "-c", "2", bed, "synth", "600", "sine", "220", "gain", "-12"}));
    const fs::path project = m_dir / "longtalk.fcpxml", err = m_dir / "err";
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        writeFile(project, "earlier project");
        const pid_t pid =
            start({"duck", "--dialogue", talk, "--music", bed, "--format", "1.9", "--force"},
                  m_dir / "config", Stdout::file, m_dir / "out", err);
        bool analysing = false;
        for (int i = 0; i < 30000 && !analysing; ++i) {
            analysing = readFile(err).find("Analyzing Speaker Clusters...") != std::string::npos;
            if (!analysing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(analysing) << "the job was not seen analysing";
        ::kill(pid, signal);
        EXPECT_EQ(waitFor(pid), 128 + signal);
        EXPECT_EQ(readFile(project), "earlier project");
        EXPECT_EQ(hiddenIn(m_dir.path()), 0u);
    }
}

TEST_F(OutputRules, ALostStandardOutputFailsAfterTheFilesAreWritten) {
    const fs::path config = m_dir / "config", err = m_dir / "err", out = m_dir / "out";
    const std::string project = (m_dir / "talk.fcpxml").string();
    const std::vector<std::string> titles = {"titles", m_rec.srt, "--force"};
    const std::vector<std::string> duckJson = {"duck",    "--dialogue", m_rec.talk, "--music",
                                               m_rec.bed, "--json",     "--force"};
    for (const Stdout mode : {Stdout::brokenPipe, Stdout::full, Stdout::closed}) {
        for (const auto& args : {titles, duckJson}) {
            SCOPED_TRACE(args[0] + " " + std::to_string(static_cast<int>(mode)));
            fs::remove(project);
            const int exitCode = waitFor(start(args, config, mode, out, err));
            const auto lines = messages(readFile(err));
            EXPECT_EQ(exitCode, 1);
            ASSERT_EQ(lines.size(), 1u) << readFile(err);
            EXPECT_EQ(lines[0].rfind("quelvo-cli: cannot write to standard output: ", 0), 0u)
                << lines[0];
            if (mode == Stdout::closed) {
                EXPECT_NE(lines[0].find("Bad file descriptor"), std::string::npos);
            }
            EXPECT_VALID_FCPXML(readFile(project), "1.9");
        }
    }
    // With --json, standard output holds the JSON alone, stored title settings or not.
    fs::create_directories(config);
    writeFile(config / "settings.json",
              "{\"FCPXML_Titles_Settings\": \"{\\\"font\\\": \\\"Futura\\\"}\"}\n");
    const CommandResult r = run(duckJson);
    expectSuccess(r);
    EXPECT_NO_THROW(nlohmann::json::parse(r.out)) << r.out;
}
