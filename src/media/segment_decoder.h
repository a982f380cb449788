#pragma once
// One segment of a file decoded on its own thread, for the parallel
// analysis (parallel_reader.h): it starts reading a few packets before its
// first frame so that the decoder settles, places every sample where the
// one-thread reader would (the same timestamps, gaps and frame grid), and
// keeps, for the frames where it meets its neighbour, what tells whether
// the two agree to the bit. Internal to platform/audio.
#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "media/speech_features.h"

namespace quelvo::detail {

// A packet as the demuxer gives it when the file is read from its start:
// what a decoder that starts in the middle is handed in place of what a
// seek gives (an MP3's timestamps after a seek are only estimates).
struct PacketMark {
    int64_t pos = -1;
    int64_t pts = 0, dts = 0, duration = 0;
    // Samples the decoder drops at the start and the end of this packet
    // (encoder delay, padding); 0 and 0 for almost every packet.
    uint32_t skipStart = 0, skipEnd = 0;
};

// Where the file's decoded audio starts on the timestamps' scale, and at
// what rate it decodes; known once the first frame is decoded.
struct TimeOrigin {
    int64_t at = 0;
    int rate = 0;
};

struct SegmentTask {
    std::string path;
    bool features = false; // measure speech features
    bool peaks = true;     // keep the 10 ms peaks
    // Coded audio: the packet table and the first packet to read (pre-roll
    // included); the table is nullptr for the segment that starts the file.
    const std::vector<PacketMark>* packets = nullptr;
    int64_t firstPacket = 0;
    // PCM measured from the packets: the sample to start reading at, and
    // the byte where the samples begin (every sample frame is the header's
    // block size further on).
    int64_t firstSample = 0;
    int64_t dataStart = -1;
    // The file's 10 ms frame where measuring starts; samples before it are
    // decoded (the decoder settles) and dropped.
    int64_t firstFrame = 0;
    // Frames [firstFrame, stop) are needed. The first segment starts before
    // its end is planned: it reads `stop` as it goes.
    const std::atomic<int64_t>* stop = nullptr;
    int64_t fixedStop = std::numeric_limits<int64_t>::max();
    // The frames compared with the neighbours: the segment's first
    // checkFrames frames (when checkStart), and [check, check + checkFrames)
    // where the next segment starts, read from `stopCheck` when given (the
    // first segment learns it while it runs), else from `check` (-1: none).
    int checkFrames = 0;
    bool checkStart = false;
    const std::atomic<int64_t>* stopCheck = nullptr;
    int64_t check = -1;
    // Where the timestamps start (the first segment finds it itself).
    std::optional<TimeOrigin> origin;
    // The first segment counts its packets here, so the planner can split
    // what is left.
    std::atomic<int64_t>* progress = nullptr;
};

struct SegmentResult {
    quelvo::Status status = quelvo::Status::failure("not decoded");
    int rate = 0;
    int channels = 0;
    int64_t firstFrame = 0;
    std::vector<float> peaks; // frames from firstFrame on
    SpeechFeatures features;  // the same frames, every voicing candidate measured
    int64_t sampleFrames = 0; // where the last sample ended, from the file's start
    int64_t packets = 0;      // read after the pre-roll
    // The segment that starts the file: how long its packets last and the
    // longest (DecodeSummary::packetSeconds).
    double packetSeconds = 0, frameSeconds = 0;
    bool reachedEnd = false; // read to the end of the file
    // At the compared frames: a digest of each frame's samples and, for
    // features, the meter's state at the start of each frame.
    struct Seam {
        int64_t from = -1;
        std::vector<uint64_t> digests;
        std::vector<std::vector<uint8_t>> states;
    };
    Seam start, end;
};

// Decodes the task's segment. A failure status means the segment cannot
// stand in for the one-thread run there (a damaged packet, a packet that is
// not where the table says, a read error): the caller then decodes the file
// on one thread, which also words any real fault.
// `reuse`, when given, keeps the file open between the segments one thread
// decodes in turn: a segment that seeks reads it instead of opening the
// file again, and a segment that opens the file leaves it there.
struct AudioInput;
SegmentResult decodeSegment(const SegmentTask& task, AudioInput* reuse = nullptr);

} // namespace quelvo::detail
