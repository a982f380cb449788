// Paths with every awkward character: blanks, both quotes, "&", "<", ">",
// "#", "%", "?", a line break, a tab and text beyond ASCII, in the folder and
// in the file names. Every command must work on them, every document must be
// valid and its file URLs must lead back to the very files; a failure must
// name such a path on one line.
#include <regex>

#include <nlohmann/json.hpp>

#include "badinput_support.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

// Every src attribute's URL as an XML reader sees it (a raw line break in an
// attribute reads as a blank), percent-decoded back to a path.
std::vector<std::string> sourcePaths(const std::string& doc) {
    std::vector<std::string> out;
    TempDir tmp;
    writeFile(tmp / "doc.fcpxml", doc);
    const CommandResult attributes = runProgram(
        {"/usr/bin/xmllint", "--nonet", "--xpath", "//@src", (tmp / "doc.fcpxml").string()});
    const std::string& text = attributes.out;
    static const std::regex src(R"re(src="file://([^"]*)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), src);
         it != std::sregex_iterator(); ++it) {
        const std::string url = (*it)[1];
        std::string path;
        for (size_t i = 0; i < url.size(); ++i) {
            if (url[i] == '%' && i + 2 < url.size()) {
                path += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                path += url[i];
            }
        }
        out.push_back(path);
    }
    return out;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class AwkwardPaths : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
        m_folder =
            m_dir / "it's \"odd\" & <this> #1 %20 ?x \xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\nline";
        fs::create_directory(m_folder);
        m_talk = (m_folder / "talk ' \" & < > # % ? \xC3\xA9\tb\nc.wav").string();
        m_bed = (m_folder / "bed & <m> %41 'x'.wav").string();
        m_filler = (m_folder / "fill?er #2 \xE6\x97\xA5\xE6\x9C\xAC.wav").string();
        m_srt = (m_folder / "subs ' \" & < # % ? \xC3\xA9\nz.srt").string();
        m_video = (m_folder / "clip ' \" & < # % ? \xC3\xA9\nv.mov").string();
        fs::copy_file(m_rec.talk, m_talk);
        fs::copy_file(m_rec.bed, m_bed);
        fs::copy_file(m_rec.bed, m_filler);
        fs::copy_file(m_rec.srt, m_srt);
        fs::copy_file(testDataDir() / "video" / "clip_25fps_tc1h.mov", m_video);
    }
    CommandResult run(std::vector<std::string> args) {
        // These cases write over earlier projects on purpose.
        if (args[0] == "duck" || args[0] == "titles") args.push_back("--force");
        args.insert(args.begin(), cli().string());
        return runProgram(args);
    }
    static std::string withoutExtension(const std::string& path) {
        return path.substr(0, path.rfind('.'));
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    fs::path m_folder;
    std::string m_talk, m_bed, m_filler, m_srt, m_video;
};

} // namespace

TEST_F(AwkwardPaths, AnalyzeEchoesThePathExactly) {
    for (const bool music : {false, true}) {
        std::vector<std::string> args = {"analyze", m_talk, "--json"};
        if (music) args.push_back("--music");
        const CommandResult r = run(args);
        expectSuccess(r);
        const auto j = nlohmann::json::parse(r.out);
        EXPECT_EQ(j["file"], m_talk);
        EXPECT_EQ(j["clusters"].size(), 1u) << r.out;
    }
    note("analyze", "awkward folder and file name", run({"analyze", m_talk}));
}

TEST_F(AwkwardPaths, DuckWritesBesideTheDialogueAndItsUrlsLeadBack) {
    const std::string project = withoutExtension(m_talk) + ".fcpxml";
    for (const std::string format : {"1.9", "1.6"}) {
        SCOPED_TRACE(format);
        const CommandResult r = run({"duck", "--dialogue", m_talk, "--music", m_bed, "--filler",
                                     m_filler, "--format", format, "--json"});
        expectSuccess(r);
        EXPECT_EQ(nlohmann::json::parse(r.out)["output"], project);
        const std::string doc = readFile(project);
        EXPECT_VALID_FCPXML(doc, format);
        const auto sources = sourcePaths(doc);
        EXPECT_TRUE(contains(sources, m_talk)) << doc;
        EXPECT_TRUE(contains(sources, m_bed)) << doc;
        EXPECT_TRUE(contains(sources, m_filler)) << doc;
        if (format == "1.9") note("duck", "awkward dialogue, music and filler", r);
    }
}

TEST_F(AwkwardPaths, DuckWithAnAwkwardOutputAndName) {
    const fs::path other = m_dir / "out & 'there' #? %\n\xC3\xBC";
    fs::create_directory(other);
    const std::string output = (other / "pro<ject> \"1\" & 'b'\n.fcpxml").string();
    for (const std::string format : {"1.9", "1.6"}) {
        const CommandResult r =
            run({"duck", "--dialogue", m_talk, "--music", m_bed, "--format", format, "--output",
                 output, "--name", "Show & <Tell> \"1\" 'b' #2 %3 ?\n\xC3\xA9\x01"});
        expectSuccess(r);
        EXPECT_VALID_FCPXML(readFile(output), format);
    }
}

TEST_F(AwkwardPaths, TitlesWithAnAwkwardVideoAndSubtitles) {
    const std::string project = withoutExtension(m_srt) + ".fcpxml";
    for (const std::string format : {"1.9", "1.6"}) {
        SCOPED_TRACE(format);
        const CommandResult r = run({"titles", m_srt, "--video", m_video, "--format", format});
        expectSuccess(r);
        const std::string doc = readFile(project);
        EXPECT_VALID_FCPXML(doc, format);
        EXPECT_TRUE(contains(sourcePaths(doc), m_video)) << doc;
        if (format == "1.9") note("titles", "awkward subtitles and video", r);
    }
    const CommandResult noVideo =
        run({"titles", m_srt, "--event", "E & <v> \"q\" 'a'\n#", "--output", m_srt + ".x.fcpxml"});
    expectSuccess(noVideo);
    EXPECT_VALID_FCPXML(readFile(m_srt + ".x.fcpxml"), "1.9");
}

TEST_F(AwkwardPaths, FailuresNameTheAwkwardPathOnOneLine) {
    const std::string missing = (m_folder / "gone ' \" & < # % ? \xC3\xA9\nnow.wav").string();
    const std::string missingSrt = (m_folder / "gone ' \" & < # % ? \xC3\xA9\nnow.srt").string();
    const Tree before = snapshot(m_dir.path());
    CommandResult r = run({"analyze", missing});
    expectFailure(r, 1, missing, "cannot analyse ", "the file does not exist");
    note("analyze", "absent awkward path", r);
    r = run({"duck", "--dialogue", m_talk, "--music", missing});
    expectFailure(r, 1, missing, "Cannot read the music file ", "the file does not exist");
    note("duck --music", "absent awkward path", r);
    r = run({"titles", missingSrt});
    expectFailure(r, 1, missingSrt, "no subtitles could be read: ", "No such file or directory");
    note("titles", "absent awkward path", r);
    r = run({"titles", m_srt, "--video", missing});
    expectFailure(r, 1, missing, "video ", "the file does not exist");
    EXPECT_EQ(snapshot(m_dir.path()), before);
}
