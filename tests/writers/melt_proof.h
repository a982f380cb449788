#pragma once
// The ducking heard as an editor would hear it: the project the job makes,
// written as MLT, played by `melt` with the dialogue muted, and measured in
// 10 ms windows against the envelope the project asks for and against the
// mix renderer's own music stem. Shared by the writers' test and the
// melt-envelope-check tool behind bench/melt_envelope_check.py.
#include <filesystem>
#include <string>

#include "base/result.h"
#include "project/project_description.h"

namespace quelvo::test {

struct MeltCase {
    std::string dialogue, music, filler;
};

struct MeltFindings {
    quelvo::Status status = quelvo::Status::failure("not measured");
    int windows = 0;              // 10 ms windows compared with the envelope
    double envelopeDeviation = 0; // dB, largest, where the music sounds away from ramps
    double stemDeviation = 0; // dB, largest against the renderer's stem away from ramps and fades
    int ramps = 0;
    double rampBeginFrames =
        0; // the largest shift (frames) a ramp's first half needs to fit the envelope
    double rampEndFrames = 0; // the same for its second half
    int fillers = 0;
    double fillerOffsetFrames =
        0; // the largest shift of a filler clip from where the project places it
    double fillerLevelDb =
        0; // a clip's mean distance (dB) from the filler's own level, at that shift
    double fillerOutsideDb = -200; // the loudest window of filler sound outside every clip (dBFS)
};

// The path of `melt`, or "" when it is not installed.
std::string meltProgram();

// The project the job makes for a case, as its description; the job's mix
// and music stem are rendered into `workFolder` (mix.wav, stem.wav).
quelvo::Status describeCase(const MeltCase& input, const std::filesystem::path& workFolder,
                            ProjectDescription& project);

MeltFindings checkWithMelt(const MeltCase& input, const std::filesystem::path& workFolder);

} // namespace quelvo::test
