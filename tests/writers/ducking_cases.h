#pragma once
// The fixed inputs of the golden ducking documents: the same files, timings
// and speech for both writers, varied one aspect at a time.
#include <string>
#include <vector>

#include "project/envelope_timing.h"
#include "project/project_builder.h"
#include "writers/media_facts.h"

namespace quelvo::test {

struct DuckingCase {
    std::string name; // golden files are ducking_v1_6_<name>.fcpxml and ducking_v1_9_<name>.fcpxml
    std::string speakerPath = "/Users/editor/Interview/talk.wav";
    std::string musicPath = "/Users/editor/Music/bed.mp3";
    std::string fillerPath; // "" for none
    quelvo::ClusterList speech = {{2.0, 8.5}, {12.25, 30.0}, {40.0, 41.0}};
    quelvo::ClusterList musicClusters;
    bool decreaseToZero = false;
    int duckingDecrease = -20;
    int overallMusicLevel = 0;
    std::string eventName = "talk_duck_event";
    std::string projectName = "talk_duck_project";
    std::string customRole; // "" keeps the music role
};

// The stored timings' defaults: attack 0.3 + 0.3, release 0.3 + 0.7.
inline EnvelopeTiming caseRolls() {
    return EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24.0};
}

// Dialogue 61.23 s at 48 kHz stereo (not a whole number of frames), music
// 75.5 s at 44.1 kHz stereo, filler 30 s at 44.1 kHz mono.
inline KnownMediaFacts caseFacts(const DuckingCase& c) {
    KnownMediaFacts facts;
    facts.add(c.speakerPath, {48000, 2, 2939040, std::nullopt, {}});
    facts.add(c.musicPath, {44100, 2, 3329550, std::nullopt, c.musicClusters});
    if (!c.fillerPath.empty()) facts.add(c.fillerPath, {44100, 1, 1323000, std::nullopt, {}});
    return facts;
}

// The same facts as a description holds them (durations from the samples).
inline MediaFileFacts caseFileFacts(int rate, int channels, int64_t samples) {
    return MediaFileFacts{rate, channels, samples, static_cast<double>(samples) / rate};
}

// The case as the job describes it: the one way both writers are fed.
inline ProjectDescription describeCase(const DuckingCase& c) {
    DuckRequest request;
    request.inputs = {{c.speakerPath}, c.musicPath, c.fillerPath};
    request.rolls = caseRolls();
    request.depth = {c.duckingDecrease, c.decreaseToZero, c.overallMusicLevel, std::nullopt};
    request.eventName = c.eventName;
    request.projectName = c.projectName;
    request.musicRole = c.customRole.empty() ? "music" : c.customRole;
    ProjectAnalysis analysis;
    analysis.dialogue = {caseFileFacts(48000, 2, 2939040)};
    analysis.music = caseFileFacts(44100, 2, 3329550);
    if (!c.fillerPath.empty()) analysis.filler = caseFileFacts(44100, 1, 1323000);
    analysis.speech = c.speech;
    analysis.musicSounding = c.musicClusters;
    return describeProject(request, analysis);
}

inline std::vector<DuckingCase> duckingCases() {
    const quelvo::ClusterList threeMusicClusters = {{0, 10}, {12, 20}, {25, 30}};
    std::vector<DuckingCase> cases;

    DuckingCase noFiller;
    noFiller.name = "no_filler";
    cases.push_back(noFiller);

    DuckingCase filler0 = noFiller;
    filler0.name = "filler_0_music_clusters";
    filler0.fillerPath = "/Users/editor/Music/filler.m4a";
    cases.push_back(filler0);

    DuckingCase filler1 = filler0;
    filler1.name = "filler_1_music_cluster";
    filler1.musicClusters = {{0.0, 75.5}};
    cases.push_back(filler1);

    DuckingCase filler3 = filler0;
    filler3.name = "filler_3_music_clusters";
    filler3.musicClusters = threeMusicClusters;
    cases.push_back(filler3);

    DuckingCase noSpeech = noFiller;
    noSpeech.name = "no_speech";
    noSpeech.speech = {};
    cases.push_back(noSpeech);

    DuckingCase early = noFiller;
    early.name = "cluster_before_pre_fade_in";
    early.speech = {{0.05, 5.0}, {9.95, 10.3}};
    cases.push_back(early);

    DuckingCase toZero = noFiller;
    toZero.name = "decrease_to_zero";
    toZero.decreaseToZero = true;
    toZero.overallMusicLevel = -6;
    cases.push_back(toZero);

    DuckingCase awkward = filler3;
    awkward.name = "awkward_names";
    awkward.speakerPath = "/Users/Édith/Tom's \"Talk\" & <Co> #1?.wav";
    awkward.musicPath = "/Users/Édith/Música 100% <bed>.mp3";
    awkward.fillerPath = "/Users/Édith/Fill & 'er' ß.wav";
    awkward.eventName = "Édith's \"Event\" & <1>";
    awkward.projectName = "Ducking & 'Co' <ß> \"quoted\"";
    awkward.customRole = "Score & <FX>";
    cases.push_back(awkward);
    return cases;
}

} // namespace quelvo::test
