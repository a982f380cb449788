// Numbers from the command line and from the settings file, held to the
// ranges of the desktop program's controls; subtitle encodings and videos
// that cannot serve.
#include <iconv.h>

#include <nlohmann/json.hpp>

#include "badinput_support.h"

using namespace quelvo::test;
using namespace quelvo::test::badinput;

namespace {

class BadValues : public ::testing::Test {
  protected:
    void SetUp() override {
        QUELVO_REQUIRE_CLI();
        ASSERT_TRUE(m_rec.made);
        fs::create_directory(m_config);
    }
    CommandResult run(std::vector<std::string> args) {
        args.insert(args.begin(), cli().string());
        return runProgram(args, {"QUELVO_CONFIG_DIR=" + m_config.string()});
    }
    std::vector<std::string> duck(std::vector<std::string> more) {
        std::vector<std::string> args{"duck",
                                      "--dialogue",
                                      m_rec.talk,
                                      "--music",
                                      m_rec.bed,
                                      "--output",
                                      (m_dir / "out.fcpxml").string(),
                                      "--force"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    TempDir m_dir;
    Recordings m_rec{m_dir.path()};
    fs::path m_config = m_dir / "config";
};

// UTF-8 text in another encoding, as iconv writes it.
std::string encoded(const std::string& utf8, const char* encoding) {
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

TEST_F(BadValues, NumbersOutsideTheDesktopRangesAreUsageErrorsNamingTheRange) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {duck({"--decrease", "20"}),
         "--decrease: must be a whole number of dB from -60 to 0, not 20"},
        {duck({"--decrease", "2147483647"}), "from -60 to 0"},
        {duck({"--overall", "13"}),
         "--overall: must be a whole number of dB from -30 to 12, not 13"},
        {duck({"--under", "nan"}), "--under: must be a number of LU from 0 to 60, not nan"},
        {duck({"--under", "61"}), "from 0 to 60"},
        {duck({"--threshold", "3"}), "--threshold: must be a number of dB from -60 to 0, not 3"},
        {{"render", "--dialogue", m_rec.talk, "--music", m_rec.bed, "--decrease", "-61"},
         "from -60 to 0"},
        {{"analyze", m_rec.talk, "--threshold", "inf"}, "from -60 to 0"},
        {{"titles", m_rec.srt, "--encoding", "NOPE-42"}, "the encoding NOPE-42 is unknown"},
    };
    const Tree before = snapshot(m_dir.path());
    for (const auto& [args, message] : cases) {
        const CommandResult r = run(args);
        SCOPED_TRACE(args[0] + " " + args[args.size() - 2] + " " + args.back());
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
        ASSERT_EQ(messages(r.err).size(), 1u) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(snapshot(m_dir.path()), before) << describe(snapshot(m_dir.path()));
    // The ends of each range are in it.
    expectSuccess(run(duck({"--decrease", "-60", "--overall", "12", "--threshold", "-60"})));
    expectSuccess(run(duck({"--under", "60", "--decrease", "0"})));
}

TEST_F(BadValues, StoredValuesOutsideTheirRangeFallBackToTheirDefaultsWithAWarning) {
    const std::string file = (m_config / "settings.json").string();
    writeFile(file, R"({"duck.decrease": 20, "duck.attackWindow": 1e308, "duck.threshold": 3})");
    const CommandResult r = run(duck({"--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // One line per value, in the order the command reads them.
    const std::string head = "quelvo-cli: warning: settings file " + file + ": ";
    EXPECT_EQ(messages(r.err),
              (std::vector<std::string>{
                  head + "duck.attackWindow = 1e+308 is not within 0 to 3 s; using its default 0.6",
                  head + "duck.threshold = 3 is not within -60 to 0 dB; using its default -24",
                  head + "duck.decrease = 20 is not within -60 to 0 dB; using its default -12"}));
    // The defaults ran: the one tone is found and ducked by 12 dB.
    EXPECT_EQ(nlohmann::json::parse(r.out)["clusters"], 1);
    EXPECT_NE(readFile(m_dir / "out.fcpxml").find("value=\"-12dB\""), std::string::npos);
}

TEST_F(BadValues, AWindowsCodePageFileIsNotReadAsItsIsoCousin) {
    const std::string text = "1\n00:00:01,000 --> 00:00:02,000\nŽluťoučký kůň úpěl\n\n"
                             "2\n00:00:03,000 --> 00:00:04,000\nZażółć gęślą jaźń\n";
    const fs::path srt = m_dir / "cz.srt";
    writeFile(srt, encoded(text, "WINDOWS-1250"));
    const fs::path out = m_dir / "cz.fcpxml";
    expectSuccess(run({"titles", srt.string(), "--output", out.string(), "--format", "1.9"}));
    const std::string doc = readFile(out);
    EXPECT_NE(doc.find("Žluťoučký kůň úpěl"), std::string::npos);
    EXPECT_NE(doc.find("Zażółć gęślą jaźń"), std::string::npos);
    // Read as ISO-8859-2 on request, Ž ť ś ź are C1 controls: replaced and counted.
    const CommandResult iso = run(
        {"titles", srt.string(), "--output", out.string(), "--force", "--encoding", "ISO-8859-2"});
    ASSERT_EQ(iso.exitCode, 0) << iso.err;
    ASSERT_EQ(messages(iso.err).size(), 1u) << iso.err;
    EXPECT_NE(iso.err.find("warning: replaced 4 control characters"), std::string::npos) << iso.err;
    const std::string replaced = readFile(out);
    EXPECT_NE(replaced.find("\xEF\xBF\xBDlu\xEF\xBF\xBDou"), std::string::npos);
    for (unsigned char c = 0x80; c <= 0x9F; ++c)
        EXPECT_EQ(replaced.find(std::string("\xC2") + static_cast<char>(c)), std::string::npos)
            << int(c);
    EXPECT_VALID_FCPXML(replaced, "1.9");
}

TEST_F(BadValues, TitlesRefuseAVideoWithoutAMovingPicture) {
    const fs::path still = m_dir / "still.png";
    ASSERT_EQ(runProgram({"/usr/bin/ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i",
                          "color=c=red:s=64x64", "-frames:v", "1", still.string()})
                  .exitCode,
              0);
    for (const std::string& video : {m_rec.talk, still.string()}) {
        const CommandResult r =
            run({"titles", m_rec.srt, "--video", video, "--output", (m_dir / "t.fcpxml").string()});
        expectFailure(r, 1, video, "has no moving picture");
        EXPECT_FALSE(fs::exists(m_dir / "t.fcpxml"));
    }
}
