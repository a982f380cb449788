// melt-envelope-check DIALOGUE MUSIC FILLER: plays the job's MLT project with
// melt and prints one line of findings (see tests/writers/melt_proof.h) for
// bench/melt_envelope_check.py to gather into a table.
#include <cstdio>

#include "support/test_support.h"
#include "writers/melt_proof.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: melt-envelope-check DIALOGUE MUSIC FILLER\n");
        return 2;
    }
    if (quelvo::test::meltProgram().empty()) {
        std::fprintf(stderr, "melt-envelope-check: melt is not installed\n");
        return 1;
    }
    quelvo::test::TempDir work;
    const auto f = quelvo::test::checkWithMelt({argv[1], argv[2], argv[3]}, work.path());
    if (!f.status) {
        std::fprintf(stderr, "melt-envelope-check: %s\n", f.status.message().c_str());
        return 1;
    }
    std::printf(
        "windows=%d envelope_db=%.3f stem_db=%.3f ramps=%d ramp_begin_frames=%.2f "
        "ramp_end_frames=%.2f "
        "fillers=%d filler_offset_frames=%.2f filler_level_db=%.3f filler_outside_dbfs=%.1f\n",
        f.windows, f.envelopeDeviation, f.stemDeviation, f.ramps, f.rampBeginFrames,
        f.rampEndFrames, f.fillers, f.fillerOffsetFrames, f.fillerLevelDb, f.fillerOutsideDb);
    return 0;
}
