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

#include "platform/toolkit/result.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct AVStream;

namespace kyaudio::detail {

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
    kykit::Status status = kykit::Status::failure("not opened");
    FormatPtr format;
};

// Opens path for reading. On failure status carries the reason alone (no file
// name), e.g. "the file is empty" or FFmpeg's own text.
OpenedInput openInput(const std::string& path, const OpenOptions& options = {});

// Reads the first packets for the stream facts that the header leaves out.
kykit::Status findStreamInfo(AVFormatContext* format);

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

} // namespace kyaudio::detail
