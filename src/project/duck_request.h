#pragma once
// Everything one ducking job is asked to do, as one value: both front ends
// fill it (the desktop window from its controls and stored settings, the
// command line from its options and the same settings) and hand it to the
// job, which needs nothing else from either of them.
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "media/parallelism.h"
#include "project/envelope_timing.h"
#include "project/project_format.h"

namespace quelvo {

// The recordings. Paths as the user gave them.
struct DuckInputs {
    std::vector<std::string> dialogue; // one today; several later
    std::string music;
    std::string filler; // "" for none
};

// How far the music goes down under speech.
struct DuckDepth {
    int decrease = -12;        // dB under the overall level while someone speaks
    bool toZero = false;       // silence the music under speech instead
    int overallMusicLevel = 0; // dB, the music's level between speech
    // Depth by loudness: the music this many LU under each speech interval
    // instead of the one decrease.
    std::optional<double> underLU;
};

// Where the project goes.
struct DuckOutput {
    // Absent: the job asks its FormatQuestion (which may answer from a
    // remembered choice).
    std::optional<ProjectFormat> format;
    // "" means beside the (first) dialogue, named after it, with the
    // format's extension.
    std::string path;
    // Hand the document to Final Cut Pro instead of keeping a file. It
    // applies to the FCPXML 1.9 project only: when the answer is another
    // format, that project is written to a file as usual.
    bool sendToFinalCutPro = false;
    // An existing file at `path` may be replaced.
    bool replaceAllowed = false;
};

struct DuckRequest {
    DuckInputs inputs;
    // The envelope's timing (fades before and after each speech edge) and
    // the detection settings (mode and the fixed mode's threshold).
    EnvelopeTiming rolls;
    DuckDepth depth;
    std::string eventName;
    std::string projectName;
    // The audio role the music is filed under in the editor ("music" unless
    // the user chose another).
    std::string musicRole = "music";
    DuckOutput output;
    // Measure the dialogue's and the music's loudness for the outcome.
    bool measureLoudness = false;
    // The threads the analyses may use.
    Parallelism parallelism;
    // Speech intervals to use as they are instead of detecting them (label
    // files, corrections made in the preview): no gap closing is applied.
    // The recordings are still read for their facts.
    std::optional<ClusterList> speech;
};

} // namespace quelvo
