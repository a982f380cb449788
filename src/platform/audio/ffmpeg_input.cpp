#include "platform/audio/ffmpeg_input.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

namespace kyaudio::detail {

void FormatCloser::operator()(AVFormatContext* context) const { avformat_close_input(&context); }
void CodecFreer::operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
void PacketFreer::operator()(AVPacket* packet) const { av_packet_free(&packet); }
void FrameFreer::operator()(AVFrame* frame) const { av_frame_free(&frame); }

namespace {

thread_local std::string t_lastLoggedError;

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// FFmpeg prints freely to stderr; a command-line failure must be one line and
// the desktop program has no terminal. Errors are kept to explain failures.
void logCallback(void* avcl, int level, const char* fmt, va_list vl) {
    if (level > AV_LOG_ERROR) return;
    char line[512];
    va_list copy;
    va_copy(copy, vl);
    std::vsnprintf(line, sizeof line, fmt, copy);
    va_end(copy);
    std::string text = oneLine(line);
    if (!text.empty()) t_lastLoggedError = std::move(text);
}

} // namespace

void quietFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        // QUELVO_FFMPEG_LOG=1 keeps FFmpeg's own log, for looking into a file.
        if (const char* keep = std::getenv("QUELVO_FFMPEG_LOG"); keep && *keep == '1') return;
        av_log_set_callback(logCallback);
    });
}

void clearLoggedError() { t_lastLoggedError.clear(); }

std::string ffmpegReason(int errorCode) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(errorCode, text, sizeof text);
    std::string reason = oneLine(text);
    if (!t_lastLoggedError.empty() && t_lastLoggedError != reason)
        reason += " (" + t_lastLoggedError + ")";
    return reason;
}

OpenedInput openInput(const std::string& path, const OpenOptions& options) {
    quietFfmpegLog();
    clearLoggedError();
    OpenedInput result;
    if (path.empty()) {
        result.status = kykit::Status::failure("no file was given");
        return result;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        result.status = kykit::Status::failure(error == ENOENT ? "the file does not exist"
                                                               : oneLine(std::strerror(error)));
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.status = kykit::Status::failure("it is a folder, not a file");
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = kykit::Status::failure("it is not a regular file");
        return result;
    }
    if (info.st_size == 0) {
        result.status = kykit::Status::failure("the file is empty");
        return result;
    }

    AVDictionary* dictionary = nullptr;
    av_dict_set(&dictionary, "protocol_whitelist", "file", 0);
    if (options.wavPacketBytes > 0)
        av_dict_set_int(&dictionary, "max_size", options.wavPacketBytes, 0);
    AVFormatContext* raw = nullptr;
    const std::string url = "file:" + path;
    const int opened = avformat_open_input(&raw, url.c_str(), nullptr, &dictionary);
    av_dict_free(&dictionary);
    if (opened < 0) {
        result.status = kykit::Status::failure(ffmpegReason(opened));
        return result;
    }
    result.format.reset(raw);
    if (options.findStreamInfo) {
        if (kykit::Status found = findStreamInfo(raw); !found) {
            result.format.reset();
            result.status = found;
            return result;
        }
    }
    result.status = kykit::Status::success();
    return result;
}

kykit::Status findStreamInfo(AVFormatContext* format) {
    const int found = avformat_find_stream_info(format, nullptr);
    return found < 0 ? kykit::Status::failure(ffmpegReason(found)) : kykit::Status::success();
}

int64_t declaredSampleCount(const AVFormatContext* format, const AVStream* stream, int sampleRate) {
    if (sampleRate <= 0) return 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate});
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        return av_rescale(format->duration, sampleRate, AV_TIME_BASE);
    return 0;
}

} // namespace kyaudio::detail
