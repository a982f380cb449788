#include "media/ffmpeg_input.h"

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

namespace quelvo::detail {

void FormatCloser::operator()(AVFormatContext* context) const {
    avformat_close_input(&context);
}
void CodecFreer::operator()(AVCodecContext* context) const {
    avcodec_free_context(&context);
}
void PacketFreer::operator()(AVPacket* packet) const {
    av_packet_free(&packet);
}
void FrameFreer::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

namespace {

thread_local std::string t_lastLoggedError;

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// FFmpeg prints freely to stderr; a command-line failure must be one line and
// the desktop program has no terminal. Errors are kept to explain failures.
void logCallback(void* /*context*/, int level, const char* fmt, va_list vl) {
    if (level > AV_LOG_ERROR) return;
    char line[512];
    va_list copy;
    va_copy(copy, vl);
    std::vsnprintf(line, sizeof line, fmt, copy);
    va_end(copy);
    std::string text = oneLine(line);
    if (!text.empty()) t_lastLoggedError = std::move(text);
}

// The rate a stream's header declares. FLAC keeps it in its STREAMINFO
// block, which FFmpeg's demuxers pass on as the stream's extra data (after
// "fLaC" and a block header in some containers); the parser fills in the
// stream's rate only from the first frame.
int headerRate(const AVCodecParameters* parameters) {
    if (parameters->codec_type != AVMEDIA_TYPE_AUDIO) return 0;
    if (parameters->codec_id == AV_CODEC_ID_FLAC && parameters->extradata) {
        const uint8_t* info = parameters->extradata;
        int size = parameters->extradata_size;
        if (size >= 8 && std::memcmp(info, "fLaC", 4) == 0) {
            info += 8;
            size -= 8;
        }
        if (size >= 34) return int(info[10]) << 12 | int(info[11]) << 4 | info[12] >> 4;
    }
    return parameters->sample_rate;
}

std::string durationText(double seconds) {
    char text[48];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%.0f hours", seconds / 3600);
    else
        std::snprintf(text, sizeof text, "%.0f s", seconds);
    return text;
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

void clearLoggedError() {
    t_lastLoggedError.clear();
}

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
        result.status = quelvo::Status::failure("no file was given");
        return result;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        result.status = quelvo::Status::failure(error == ENOENT ? "the file does not exist"
                                                                : oneLine(std::strerror(error)));
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.status = quelvo::Status::failure("it is a folder, not a file");
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = quelvo::Status::failure("it is not a regular file");
        return result;
    }
    if (info.st_size == 0) {
        result.status = quelvo::Status::failure("the file is empty");
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
        result.status = quelvo::Status::failure(ffmpegReason(opened));
        return result;
    }
    result.format.reset(raw);
    for (unsigned i = 0; i < raw->nb_streams; ++i)
        result.headerRates.push_back(headerRate(raw->streams[i]->codecpar));
    if (options.findStreamInfo) {
        if (quelvo::Status found = findStreamInfo(raw); !found) {
            result.format.reset();
            result.status = found;
            return result;
        }
    }
    result.status = quelvo::Status::success();
    return result;
}

quelvo::Status checkSampleRate(int rate) {
    if (rate >= kMinSampleRate && rate <= kMaxSampleRate) return quelvo::Status::success();
    return quelvo::Status::failure("the audio's sample rate of " + std::to_string(rate) +
                                   " Hz is outside 4 kHz to 768 kHz");
}

quelvo::Status checkStreamHeader(const OpenedInput& input, int streamIndex) {
    const size_t index = static_cast<size_t>(streamIndex);
    if (index < input.headerRates.size() && input.headerRates[index] != 0)
        if (quelvo::Status declared = checkSampleRate(input.headerRates[index]); !declared)
            return declared;
    const AVFormatContext* format = input.format.get();
    const AVStream* stream = format->streams[streamIndex];
    const int rate = stream->codecpar->sample_rate;
    if (rate <= 0) return quelvo::Status::failure("the audio has no usable sample rate");
    if (quelvo::Status usable = checkSampleRate(rate); !usable) return usable;
    const double seconds = static_cast<double>(declaredSampleCount(format, stream, rate)) / rate;
    const int64_t bytes = format->pb ? avio_size(format->pb) : -1;
    if (bytes > 0 && seconds > static_cast<double>(bytes))
        return quelvo::Status::failure("the header declares " + durationText(seconds) +
                                       " of audio, more than the file's " + std::to_string(bytes) +
                                       " bytes can hold");
    return quelvo::Status::success();
}

quelvo::Status findStreamInfo(AVFormatContext* format) {
    const int found = avformat_find_stream_info(format, nullptr);
    return found < 0 ? quelvo::Status::failure(ffmpegReason(found)) : quelvo::Status::success();
}

int64_t declaredSampleCount(const AVFormatContext* format, const AVStream* stream, int sampleRate) {
    if (sampleRate <= 0) return 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, sampleRate});
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        return av_rescale(format->duration, sampleRate, AV_TIME_BASE);
    return 0;
}

} // namespace quelvo::detail
