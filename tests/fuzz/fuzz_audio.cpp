// The audio layer on mutated recordings: header probe, the packet-level
// completeness check and the streaming level analysis of a WAV, MP3, M4A or
// AIFF file that may be damaged anywhere. All must return (a failure is a
// value with a reason), and what they report for a file they accept must make
// sense: a rate, a finite duration, clusters in order inside the file.
//
// The first byte picks the file's extension (its low three bits) and whether
// the analysis also estimates the noise floor (bit 3); the rest is the file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "media/audio_file.h"

namespace {

const char* const kExtensions[] = {"wav", "mp3", "m4a", "aif", "wave", "aiff", "mp3", "m4a"};

void fail(const char* what, double a = 0, double b = 0) {
    std::fprintf(stderr, "fuzz_audio: %s (%g, %g)\n", what, a, b);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const quelvo::fuzz::fs::path file =
        quelvo::fuzz::scratchDir() / (std::string("input.") + kExtensions[data[0] & 7]);
    quelvo::fuzz::writeBytes(file,
                             std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    const quelvo::AudioFileInfo info = quelvo::probeAudioFile(file.string());
    if (info.status) {
        if (info.sampleRate <= 0) fail("probe accepted a file without a rate", info.sampleRate);
        if (!std::isfinite(info.duration) || info.duration < 0)
            fail("probe gave a bad duration", info.duration);
        if (info.status.message().find('\n') != std::string::npos)
            fail("a reason on several lines");
    } else {
        if (info.status.message().empty()) fail("probe failed without a reason");
        if (info.status.message().find('\n') != std::string::npos)
            fail("a reason on several lines");
    }

    // The job's cheap check reads packets only; it must never turn away a
    // file that the full analysis accepts.
    const quelvo::Status complete = quelvo::checkAudioComplete(file.string());
    if (!complete && complete.message().find('\n') != std::string::npos)
        fail("a reason on several lines");

    quelvo::LevelParameters parameters;
    parameters.noisyEnironment = (data[0] & 8) != 0;
    const quelvo::LevelAnalysis analysis = quelvo::analyzeLevels(file.string(), parameters);
    if (!analysis.status) {
        if (analysis.status.message().empty()) fail("analysis failed without a reason");
        if (analysis.status.message().find('\n') != std::string::npos)
            fail("a reason on several lines");
        return 0;
    }
    if (!complete) {
        std::fprintf(stderr, "completeness check: %s\n", complete.message().c_str());
        fail("the completeness check turned away a file the analysis accepts");
    }
    if (analysis.sampleRate <= 0)
        fail("analysis accepted a file without a rate", analysis.sampleRate);
    if (!std::isfinite(analysis.duration) || analysis.duration <= 0)
        fail("bad analysed duration", analysis.duration);
    double previousEnd = -1;
    for (const quelvo::Cluster& c : analysis.clusters) {
        if (!(c.start >= 0 && c.start < c.end && c.end <= analysis.duration + 1e-9))
            fail("a cluster outside the file or inverted", c.start, c.end);
        if (c.start <= previousEnd) fail("clusters out of order or touching", previousEnd, c.start);
        previousEnd = c.end;
    }
    return 0;
}
