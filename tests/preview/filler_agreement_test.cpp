// The filler clips agree everywhere they appear: both project versions, the
// rendered mix and its music stem, the --plot picture and the preview's scene
// are placed by one function, so a filler shorter than its gap is cut at its
// own end in all of them.
#include <regex>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "media/pcm_stream.h"
#include "preview/preview_geometry.h"
#include "preview/preview_model.h"
#include "support/test_support.h"

using namespace quelvo::test;
namespace pv = quelvo::preview;

namespace {

CommandResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), (binDir() / "quelvo-cli").string());
    return runProgram(args);
}

// Every filler clip's offset and duration in tenths, as a project writes them.
std::vector<std::pair<int, int>> projectFillers(const std::string& document) {
    static const std::regex clip("lane='-2' offset='([0-9]+)/10s'[^>]*duration='([0-9]+)/10s'");
    std::vector<std::pair<int, int>> found;
    for (auto it = std::sregex_iterator(document.begin(), document.end(), clip);
         it != std::sregex_iterator(); ++it)
        found.emplace_back(std::stoi((*it)[1]), std::stoi((*it)[2]));
    return found;
}

} // namespace

TEST(FillerAgreement, ProjectsMixPlotAndPreviewPlaceTheSameClips) {
    TempDir dir;
    const std::string voice = (dir / "voice.wav").string(), bed = (dir / "bed.wav").string(),
                      filler = (dir / "filler.wav").string(), part = (dir / "part.wav").string();
    // Music for 3 s, 4 s of silence, music again; a filler of 2.55 s, shorter
    // than the silence, so every clip ends at 2.5 s, where the filler does.
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "16000", "-c", "1", "-b", "16", part, "synth",
                          "3", "sine", "500", "pad", "0", "4"})
                  .exitCode,
              0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", part, part, bed}).exitCode, 0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "16000", "-c", "1", "-b", "16", voice,
                          "synth", "1", "sine", "300", "pad", "2", "10"})
                  .exitCode,
              0);
    ASSERT_EQ(runProgram({"/usr/bin/sox", "-n", "-r", "16000", "-c", "1", "-b", "16", filler,
                          "synth", "2.55", "sine", "800", "gain", "-6"})
                  .exitCode,
              0);
    const std::vector<std::string> inputs{"--dialogue", voice, "--music", bed, "--filler", filler};
    std::vector<std::vector<std::pair<int, int>>> projects;
    for (const char* format : {"1.9", "1.6"}) {
        std::vector<std::string> args{"duck", "--format", format, "--output",
                                      (dir / (std::string(format) + ".fcpxml")).string()};
        args.insert(args.end(), inputs.begin(), inputs.end());
        if (std::string(format) == "1.9")
            args.insert(args.end(), {"--plot", (dir / "plot.svg").string()});
        const CommandResult r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        projects.push_back(projectFillers(readFile(dir / (std::string(format) + ".fcpxml"))));
    }
    // One clip where the music stops (a little after 3 s), as long as the filler.
    ASSERT_EQ(projects[0].size(), 1u);
    const double start = projects[0][0].first / 10.0, end = start + 2.5;
    EXPECT_NEAR(start, 3.0, 0.15);
    EXPECT_EQ(projects[0][0].second, 25);
    EXPECT_EQ(projects[1], projects[0]);

    // The plot draws the same clip.
    const std::string svg = readFile(dir / "plot.svg");
    std::smatch box;
    ASSERT_TRUE(std::regex_search(
        svg, box,
        std::regex("<rect x=\"([0-9.]+)\" y=\"[0-9.]+\" width=\"([0-9.]+)\"[^>]*#c98fe0")));
    auto dialogue = pv::analyzeLevelTrack(voice).track;
    auto music = pv::analyzeLevelTrack(bed).track;
    ASSERT_TRUE(dialogue && music);
    const pv::Viewport view =
        pv::fitViewport(std::max(dialogue->duration(), music->duration()), 1600, 360);
    const double x = std::stod(box[1].str()), w = std::stod(box[2].str());
    EXPECT_NEAR(pv::timeForX(view, x), start, 0.02);
    EXPECT_NEAR(pv::timeForX(view, x + w), end, 0.02);

    // The preview's scene, given the filler's length as the desktop gives it.
    pv::PreviewSettings settings;
    settings.rolls = {0.3, 0.3, 0.3, 0.7, -24};
    settings.withFiller = true;
    settings.fillerSeconds = 2.55;
    const pv::PreviewScene scene = pv::PreviewModel(dialogue, music).scene(settings);
    ASSERT_EQ(scene.fillers.size(), 1u);
    EXPECT_DOUBLE_EQ(scene.fillers[0].offset, start);
    EXPECT_DOUBLE_EQ(scene.fillers[0].duration, 2.5);

    // The stem carries the filler until the clip's end and nothing after it.
    std::vector<std::string> render{"render", "--output", (dir / "mix.wav").string(), "--stems",
                                    "--json"};
    render.insert(render.end(), inputs.begin(), inputs.end());
    const CommandResult r = cli(render);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    quelvo::Status status = quelvo::Status::success();
    auto stem = quelvo::PcmStream::open(nlohmann::json::parse(r.out)["stem"].get<std::string>(), {},
                                        status);
    ASSERT_TRUE(stem) << status.message();
    std::vector<double> samples(16000 * 7);
    double* plane = samples.data();
    ASSERT_EQ(stem->read(&plane, static_cast<int>(samples.size())),
              static_cast<int>(samples.size()));
    const auto peak = [&](double from, double to) {
        double p = 0;
        for (int i = static_cast<int>(from * 16000); i < static_cast<int>(to * 16000); ++i)
            p = std::max(p, std::abs(samples[i]));
        return p;
    };
    EXPECT_GT(peak(end - 0.15, end - 0.05), 0.01); // still fading out
    EXPECT_LT(peak(end + 0.01, 6.9), 1e-4);
}
