#pragma once
// Opening a media file with libavformat, safely. Shared by the audio and the
// media-info services; nothing outside src/platform sees FFmpeg types.
//
// Only regular files are opened (a folder or a named pipe would fail late or
// block forever), only through FFmpeg's file protocol (a path such as
// "http://..." or "concat:..." is never taken for a URL, and a playlist inside
// a file cannot reach out), and FFmpeg's own log is kept off the terminal: its
// last error line is kept per thread to explain a failure.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct AVStream;

namespace quelvo::detail {

struct FormatCloser {
    void operator()(AVFormatContext* context) const;
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const;
};
struct PacketFreer {
    void operator()(AVPacket* packet) const;
};
struct FrameFreer {
    void operator()(AVFrame* frame) const;
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

struct OpenOptions {
    // Read the streams' parameters from the first packets too (codec details
    // that the header alone does not give, durations estimated by bitrate).
    bool findStreamInfo = true;
    // Bytes per packet that the WAV demuxer may hand out in one go; larger
    // packets mean fewer calls when a long PCM file is read.
    int wavPacketBytes = 0;
};

struct OpenedInput {
    quelvo::Status status = quelvo::Status::failure("not opened");
    FormatPtr format;
    // Each stream's sample rate as the file's header declared it, before
    // FFmpeg's probing may replace it from the first packets (0 for a stream
    // the header did not describe). The header's figure still times the
    // packets: a FLAC whose header says 1 Hz decodes at 44.1 kHz with every
    // packet a thousand seconds apart.
    std::vector<int> headerRates;
};

// Opens path for reading. On failure status carries the reason alone (no file
// name), e.g. "the file is empty" or FFmpeg's own text.
OpenedInput openInput(const std::string& path, const OpenOptions& options = {});

// The sample rates the audio layer reads. Below 4 kHz no recording is made
// to be heard and above 768 kHz no converter records; a rate outside them is
// a damaged or crafted header, and it would size buffers and timelines.
inline constexpr int kMinSampleRate = 4000;
inline constexpr int kMaxSampleRate = 768000;

// Success for a rate the audio layer reads; else a failure naming the rate.
quelvo::Status checkSampleRate(int rate);

// Whether the header of the audio stream the file is read for can be
// believed before anything is sized from it: its rate as the header
// declared it and as FFmpeg found it, both as above, and its declared length
// no more than the file's bytes could hold (a second a byte: ten times what
// a FLAC of silence, the most compact audio, needs).
quelvo::Status checkStreamHeader(const OpenedInput& input, int streamIndex);

// Reads the first packets for the stream facts that the header leaves out.
quelvo::Status findStreamInfo(AVFormatContext* format);

// FFmpeg's text for an error code, with the last error line FFmpeg logged on
// this thread when it adds something ("Invalid data found when processing
// input (moov atom not found)"). Always one line.
std::string ffmpegReason(int errorCode);

// Forgets the last logged error line of this thread (before a new operation).
void clearLoggedError();

// The stream's length in frames at sampleRate as the container declares it:
// the stream's own duration where stated (exact for WAV, AIFF and MP4), else
// the whole file's (estimated from the bitrate for some formats); 0 when unknown.
int64_t declaredSampleCount(const AVFormatContext* format, const AVStream* stream, int sampleRate);

// Installs the quiet log callback once per process; openInput calls it.
void quietFfmpegLog();

} // namespace quelvo::detail
