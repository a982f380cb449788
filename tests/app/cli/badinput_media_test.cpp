// Bad media for every input of quelvo-cli: files that are empty, cut short,
// random bytes behind an audio or video extension, folders and named pipes
// with such names, and files that are not there. Each command must stop with
// exit 1 and one line naming the input and the reason, and leave the folder
// exactly as it was.
#include <sys/stat.h>

#include "badinput_support.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

// A copy of a FLAC whose STREAMINFO block says `rate`; its frames still say
// the real rate. The block follows "fLaC" and its own 4-byte header, and the
// rate is its 20 bits from the 11th byte on.
std::string withStreamInfoRate(std::string flac, uint32_t rate) {
    flac[18] = static_cast<char>(rate >> 12);
    flac[19] = static_cast<char>(rate >> 4);
    flac[20] = static_cast<char>((flac[20] & 0x0F) | (rate & 0x0F) << 4);
    return flac;
}

// A copy of a plain PCM WAV whose format chunk says `rate`.
std::string withWavRate(std::string wav, uint32_t rate) {
    for (int i = 0; i < 4; ++i)
        wav[24 + i] = static_cast<char>(rate >> (8 * i));
    return wav;
}

struct BadFile {
    std::string name;
    std::string reason; // a part of the reason the message must give
};

class BadMedia : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
        const fs::path media = testDataDir() / "media";
        const fs::path folder = m_dir / "bad";
        fs::create_directory(folder);
        for (const char* ext : {"wav", "mp3", "m4a"}) {
            writeFile(folder / (std::string("empty.") + ext), "");
            m_audio.push_back({std::string("empty.") + ext, "the file is empty"});
        }
        writeCut(m_rec.bed, folder / "cut.wav", 0.3);
        writeCut(media / "tone_mono44k.mp3", folder / "cut.mp3", 0.5);
        writeCut(media / "tone_stereo48k.m4a", folder / "cut.m4a", 0.5);
        writeCut(media / "tone_mono8k_s24.aif", folder / "cut.aif", 0.5);
        for (const char* name : {"cut.wav", "cut.mp3", "cut.m4a", "cut.aif"})
            m_audio.push_back({name, "the file ends early"});
        // An M4A with its index at the end (as FFmpeg writes it by default).
        writeCut(recordingOrStandIn("dialogue/dev04_pauses_m4a.m4a"), folder / "cut_index_last.m4a",
                 0.5);
        m_audio.push_back({"cut_index_last.m4a", "moov atom not found"});
        unsigned seed = 1;
        for (const char* ext : {"wav", "mp3", "m4a", "aiff"}) {
            writeFile(folder / (std::string("noise.") + ext), noise(48 * 1024, seed++));
            m_audio.push_back({std::string("noise.") + ext, ""});
        }
        // Crafted rates: a FLAC of 19 KB that says 1 Hz (its timestamps then
        // space its frames over eleven hours) and a WAV that says 2^31-1 Hz.
        ASSERT_TRUE(
            Recordings::sox({"-n", "-r", "44100", "-c", "1", (m_dir / "small.flac").string(),
                             "synth", "0.92", "sine", "440"}));
        ASSERT_EQ(readFile(m_dir / "small.flac").substr(0, 4), "fLaC");
        writeFile(folder / "rate1.flac", withStreamInfoRate(readFile(m_dir / "small.flac"), 1));
        fs::remove(m_dir / "small.flac");
        m_audio.push_back(
            {"rate1.flac", "the audio's sample rate of 1 Hz is outside 4 kHz to 768 kHz"});
        writeFile(folder / "rate2g.wav", withWavRate(readFile(m_rec.talk), 0x7FFFFFFF));
        m_audio.push_back({"rate2g.wav", "sample rate of 2147483647 Hz is outside"});
        fs::create_directory(folder / "folder.wav");
        m_audio.push_back({"folder.wav", "it is a folder, not a file"});
        ASSERT_EQ(::mkfifo((folder / "pipe.mp3").c_str(), 0600), 0);
        m_audio.push_back({"pipe.mp3", "it is not a regular file"});
        m_audio.push_back({"absent.wav", "the file does not exist"});
    }

    CommandResult run(std::vector<std::string> args) {
        args.insert(args.begin(), cli().string());
        return runProgram(args);
    }
    std::string bad(const std::string& name) const { return (m_dir / "bad" / name).string(); }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    std::vector<BadFile> m_audio;
};

} // namespace

TEST_F(BadMedia, AnalyzeNamesTheFileAndTheReason) {
    const Tree before = snapshot(m_dir.path());
    for (const BadFile& f : m_audio) {
        for (const bool music : {false, true}) {
            std::vector<std::string> args = {"analyze", bad(f.name), "--json"};
            if (music) args.push_back("--music");
            const CommandResult r = run(args);
            expectFailure(r, 1, bad(f.name), "cannot analyse " + bad(f.name) + ": ", f.reason);
            EXPECT_EQ(r.out, "");
            if (!music) note("analyze", f.name, r);
        }
    }
    EXPECT_EQ(snapshot(m_dir.path()), before);
}

TEST_F(BadMedia, DuckNamesTheRoleTheFileAndTheReasonAndWritesNothing) {
    const Tree before = snapshot(m_dir.path());
    for (const BadFile& f : m_audio) {
        for (const std::string role : {"dialogue", "music", "filler"}) {
            std::vector<std::string> args = {"duck", "--dialogue", m_rec.talk, "--music",
                                             m_rec.bed};
            if (role == "dialogue") args[2] = bad(f.name);
            if (role == "music") args[4] = bad(f.name);
            if (role == "filler") args.insert(args.end(), {"--filler", bad(f.name)});
            for (const std::string format : {"1.9", "1.6"}) {
                std::vector<std::string> withFormat = args;
                withFormat.insert(withFormat.end(), {"--format", format});
                const CommandResult r = run(withFormat);
                expectFailure(r, 1, bad(f.name),
                              "Cannot read the " + role + " file " + bad(f.name) + ": ", f.reason);
                EXPECT_EQ(r.out, "");
                if (format == "1.9") note("duck --" + role, f.name, r);
            }
        }
    }
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The crafted FLAC once took minutes and grew without end: it is refused at
// its header, so a memory limit far below that growth is never met.
TEST_F(BadMedia, ACraftedSampleRateIsRefusedUnderAMemoryLimit) {
    // The address and thread sanitizers reserve terabytes of address space
    // for their shadow memory, so a build with one runs the same refusals
    // without the limit.
    const char* const limit = kSanitized ? "exec \"$@\"" : "ulimit -v 524288 && exec \"$@\"";
    const auto limited = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"/bin/sh", "-c", limit, "sh", cli().string()});
        return runProgram(args);
    };
    const std::string flac = bad("rate1.flac");
    expectFailure(limited({"analyze", flac}), 1, flac, "sample rate of 1 Hz");
    expectFailure(limited({"render", "--dialogue", flac, "--music", m_rec.bed, "--output",
                           (m_dir / "a.wav").string()}),
                  1, flac, "Cannot read the dialogue file");
    expectFailure(limited({"render", "--dialogue", m_rec.talk, "--music", flac, "--output",
                           (m_dir / "b.wav").string()}),
                  1, flac, "Cannot read the music file");
    expectFailure(limited({"render", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--filler",
                           flac, "--output", (m_dir / "c.wav").string()}),
                  1, flac, "Cannot read the filler file");
    EXPECT_FALSE(fs::exists(m_dir / "a.wav") || fs::exists(m_dir / "b.wav") ||
                 fs::exists(m_dir / "c.wav"));
}

// A music or filler is a clip of whole frames of the timeline (1/30 s): one
// of a few milliseconds once became a clip of no length.
TEST_F(BadMedia, AMusicOrFillerShorterThanAFrameIsRefused) {
    const std::string blip = (m_dir / "blip.wav").string(), frame = (m_dir / "frame.wav").string();
    ASSERT_TRUE(
        Recordings::sox({"-n", "-r", "44100", "-c", "1", blip, "synth", "0.005", "sine", "440"}));
    ASSERT_TRUE(
        Recordings::sox({"-n", "-r", "44100", "-c", "1", frame, "synth", "0.034", "sine", "440"}));
    const std::string out = (m_dir / "out.fcpxml").string();
    for (const std::string command : {"duck", "render"}) {
        const std::string output = command == "duck" ? out : (m_dir / "out.wav").string();
        expectFailure(run({command, "--dialogue", m_rec.talk, "--music", blip, "--output", output}),
                      1, blip,
                      "Cannot read the music file " + blip +
                          ": it lasts 0.005 s, shorter than one frame of the timeline");
        expectFailure(run({command, "--dialogue", m_rec.talk, "--music", m_rec.bed, "--filler",
                           blip, "--output", output}),
                      1, blip, "Cannot read the filler file");
        EXPECT_FALSE(fs::exists(output));
    }
    // A frame and a little is a clip.
    expectSuccess(run(
        {"duck", "--dialogue", m_rec.talk, "--music", frame, "--filler", frame, "--output", out}));
}

TEST_F(BadMedia, TitlesWithAnUnusableVideoWriteNothing) {
    const fs::path folder = m_dir / "bad";
    writeFile(folder / "empty.mov", "");
    writeFile(folder / "noise.mov", noise(32 * 1024, 9));
    writeFile(folder / "noise.mp4", noise(32 * 1024, 10));
    fs::create_directory(folder / "folder.mov");
    ASSERT_EQ(::mkfifo((folder / "pipe.mp4").c_str(), 0600), 0);
    // QuickTime writes the index last: a copy cut short has none.
    writeCut(testDataDir() / "video" / "clip_25fps_tc1h.mov", folder / "cut.mov", 0.5);
    const std::vector<BadFile> videos = {
        {"empty.mov", "the file is empty"},
        {"noise.mov", ""},
        {"noise.mp4", ""},
        {"folder.mov", "it is a folder, not a file"},
        {"pipe.mp4", "it is not a regular file"},
        {"cut.mov", "moov atom not found"},
        {"absent.mov", "the file does not exist"},
    };
    const Tree before = snapshot(m_dir.path());
    for (const BadFile& v : videos) {
        const CommandResult r = run({"titles", m_rec.srt, "--video", bad(v.name)});
        expectFailure(r, 1, bad(v.name), "video " + bad(v.name) + ": ", v.reason);
        note("titles --video", v.name, r);
    }
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

TEST_F(BadMedia, TitlesWithUnreadableSubtitlesWriteNothing) {
    const fs::path folder = m_dir / "bad";
    writeFile(folder / "empty.srt", "");
    writeFile(folder / "noise.srt", noise(16 * 1024, 11));
    fs::copy_file(m_rec.talk, folder / "audio.srt");
    fs::create_directory(folder / "folder.srt");
    ASSERT_EQ(::mkfifo((folder / "pipe.srt").c_str(), 0600), 0);
    // The first block cut before its time line ends: nothing readable is left.
    writeFile(folder / "cut.srt", readFile(m_rec.srt).substr(0, 10));
    const std::vector<BadFile> subtitles = {
        {"empty.srt", "the file is empty"},
        {"noise.srt", "it is not text in UTF-8, UTF-16 or a known 8-bit encoding"},
        {"audio.srt", "it is not text in UTF-8, UTF-16 or a known 8-bit encoding"},
        {"cut.srt",
         "it is none of SRT, WebVTT or ASS/SSA (expected numbered blocks with \"-->\" time lines, "
         "a first line WEBVTT, or a [Script Info] or [Events] section)"},
        {"folder.srt", "cannot read it: it is a folder"},
        {"pipe.srt", "cannot read it: not a regular file"},
        {"absent.srt", "cannot read it: No such file or directory"},
    };
    const Tree before = snapshot(m_dir.path());
    for (const BadFile& s : subtitles) {
        const CommandResult r = run({"titles", bad(s.name)});
        expectFailure(r, 1, bad(s.name), bad(s.name) + ": no subtitles could be read: " + s.reason);
        EXPECT_EQ(r.out, "");
        note("titles", s.name, r);
    }
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
}

TEST_F(BadMedia, SubtitlesCutBetweenBlocksKeepTheWholeBlocks) {
    // A block that cannot be read is skipped, and said: the ones before it
    // make a complete, valid document.
    const std::string text = readFile(m_rec.srt);
    const size_t secondBlockEnd = text.find("\n\n", text.find("\n\n") + 2);
    ASSERT_NE(secondBlockEnd, std::string::npos);
    const fs::path cut = m_dir / "bad" / "cut_after_two.srt";
    writeFile(cut, text.substr(0, secondBlockEnd + 12));
    const fs::path out = m_dir / "cut.fcpxml";
    const CommandResult r = run({"titles", cut.string(), "--output", out.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        messages(r.err),
        std::vector<std::string>{
            "quelvo-cli: warning: skipped 1 broken subtitle block (2 lines) in " + cut.string()});
    note("titles", "cut_after_two.srt (cut inside block 3)", r);
    const std::string doc = readFile(out);
    size_t titles = 0;
    for (size_t at = doc.find("<title "); at != std::string::npos; at = doc.find("<title ", at + 1))
        ++titles;
    EXPECT_EQ(titles, 2u) << doc;
    EXPECT_VALID_FCPXML(doc, "1.9");
}
