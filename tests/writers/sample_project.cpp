#include "writers/sample_project.h"

#include <algorithm>

#include "project/filler_clips.h"
#include "support/test_support.h"
#include "writers/fcpxml_writers.h"

namespace quelvo::test {

namespace {

ClipSource source(const std::string& path, const std::string& name, const std::string& role,
                  int rate, int channels, double seconds) {
    return {path, {rate, channels, static_cast<int64_t>(seconds * rate), seconds}, name, role};
}

quelvo::VolumeKeyframeList fadeOut(double clipSeconds) {
    const double from = std::max(0.0, clipSeconds - kFillerFadeSeconds);
    return {{from, 0}, {(from + clipSeconds) / 2, -2.5}, {clipSeconds, -96}};
}

} // namespace

ProjectDescription sampleProject() {
    ProjectDescription project;
    project.dialogue.push_back({source("/Users/Édith/Tom's talk #1 & co 100%.wav",
                                       "Tom's talk #1 & co 100%.wav", "dialogue", 48000, 2, 61.2),
                                0.0});
    project.music.source =
        source("/Users/Édith/Música <bed>.mp3", "Música <bed>.mp3", "music", 44100, 1, 75.5);
    // Before the clip, off the frames, and two ramps that overlap.
    project.music.keyframes = {{-0.25, 0}, {0.35, -20},   {8.2, -20},   {9.2, 0},
                               {11.9, 0},  {12.345, -20}, {29.7, -20},  {30.7, 0},
                               {39.7, 0},  {40.3, -7.5},  {40.5, -7.5}, {41.5, 0},
                               {40.9, 0},  {41.2, -96},   {44.0, -96},  {45.0, 0}};
    project.music.soundingIntervals = {{0, 10}, {12, 20}, {25, 75.5}};
    FillerTrack filler{
        source("/Users/Édith/Fill & 'er' ß.wav", "Fill & 'er' ß.wav", "BGM", 44100, 2, 30.0), {}};
    for (const FillerPlacement& p : placeFillers(project.music.soundingIntervals, 30.0))
        filler.clips.push_back({p.offsetSteps, p.durationSteps, fadeOut(p.durationSeconds())});
    project.filler = filler;
    project.duration = 75.5;
    project.eventName = "Édith's \"Event\" & <1>";
    project.projectName = "Ducking & 'Co' <ß>";
    return project;
}

std::string sampleFcpxml19(const ProjectDescription& project) {
    return writeFcpxml19(project);
}

void expectWellFormed(const std::string& document, const std::string& fileName) {
    TempDir dir;
    writeFile(dir / fileName, document);
    const auto checked =
        runProgram({"/usr/bin/xmllint", "--noout", "--nonet", (dir / fileName).string()});
    EXPECT_EQ(checked.exitCode, 0) << fileName << ": " << checked.err;
}

} // namespace quelvo::test
