#include "media/media_info.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "media/ffmpeg_input.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace quelvo {

namespace {

std::optional<double> rateOf(AVRational rate) {
    if (rate.num <= 0 || rate.den <= 0) return std::nullopt;
    return static_cast<double>(rate.num) / rate.den;
}

// Cover art in an audio file is a video stream too; it is not the video.
const AVStream* videoStream(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return stream;
    }
    return nullptr;
}

const char* timecodeTag(const AVDictionary* metadata) {
    const AVDictionaryEntry* entry = av_dict_get(metadata, "timecode", nullptr, 0);
    return entry && entry->value && *entry->value ? entry->value : nullptr;
}

// The timecode of the video stream, else of the file, else of any other
// stream (QuickTime keeps it in a timecode track).
std::optional<std::string> findTimecode(const AVFormatContext* format, const AVStream* video) {
    if (video)
        if (const char* tc = timecodeTag(video->metadata)) return std::string(tc);
    if (const char* tc = timecodeTag(format->metadata)) return std::string(tc);
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (const char* tc = timecodeTag(format->streams[i]->metadata)) return std::string(tc);
    return std::nullopt;
}

std::optional<double> seconds(int64_t value, AVRational timeBase) {
    if (value == AV_NOPTS_VALUE) return std::nullopt;
    return static_cast<double>(value) * timeBase.num / timeBase.den;
}

bool differsFrom(double a, double b) {
    return std::fabs(a - b) > 0.002 * std::max(a, b);
}

std::vector<AudioStreamFacts> audioStreamsOf(const AVFormatContext* format) {
    std::vector<AudioStreamFacts> streams;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* codec = format->streams[i]->codecpar;
        if (codec->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        AudioStreamFacts facts{static_cast<int>(i), codec->ch_layout.nb_channels,
                               codec->sample_rate, ""};
        if (codec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
            char name[64] = {};
            if (av_channel_layout_describe(&codec->ch_layout, name, sizeof name) > 0)
                facts.layout = name;
        }
        streams.push_back(std::move(facts));
    }
    return streams;
}

std::optional<ColorCodes> colorOf(const AVCodecParameters* codec) {
    if (codec->color_primaries == AVCOL_PRI_UNSPECIFIED ||
        codec->color_trc == AVCOL_TRC_UNSPECIFIED || codec->color_space == AVCOL_SPC_UNSPECIFIED)
        return std::nullopt;
    return ColorCodes{codec->color_primaries, codec->color_trc, codec->color_space};
}

void readVideoStream(const AVStream* video, MediaInfo& facts) {
    facts.frameRate = rateOf(video->avg_frame_rate);
    const std::optional<double> realRate = rateOf(video->r_frame_rate);
    facts.variableFrameRate =
        facts.frameRate && realRate && differsFrom(*facts.frameRate, *realRate);
    const AVRational rate = facts.frameRate ? video->avg_frame_rate : video->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) facts.frameDuration = Rational{rate.den, rate.num};
    if (video->codecpar->width > 0 && video->codecpar->height > 0)
        facts.videoSize = VideoSize{video->codecpar->width, video->codecpar->height};
    facts.color = colorOf(video->codecpar);
}

} // namespace

bool isDropFrameTimecode(const std::string& timecode) {
    const size_t last = timecode.find_last_of(":;.,");
    return last != std::string::npos && timecode[last] != ':';
}

std::optional<double> timecodeToSeconds(const std::string& timecode, double frameRate) {
    const std::optional<int64_t> count = timecodeToFrames(timecode, frameRate);
    if (!count) return std::nullopt;
    return static_cast<double>(*count) / frameRate;
}

std::optional<int64_t> timecodeToFrames(const std::string& timecode, double frameRate) {
    if (!(frameRate > 0) || !std::isfinite(frameRate)) return std::nullopt;
    int parts[4] = {};
    bool dropFrame = false;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (at >= timecode.size() || !std::isdigit(static_cast<unsigned char>(timecode[at])))
            return std::nullopt;
        int value = 0, digits = 0;
        while (at < timecode.size() && std::isdigit(static_cast<unsigned char>(timecode[at])) &&
               digits < 4) {
            value = value * 10 + (timecode[at++] - '0');
            ++digits;
        }
        parts[part] = value;
        if (part == 3) break;
        if (at >= timecode.size()) return std::nullopt;
        const char separator = timecode[at++];
        if (separator == ';' || separator == '.' || separator == ',') {
            if (part != 2) return std::nullopt;
            dropFrame = true;
        } else if (separator != ':') {
            return std::nullopt;
        }
    }
    if (at != timecode.size()) return std::nullopt;
    const int64_t perSecond = std::llround(frameRate);
    const auto [hours, minutes, secs, frames] = parts;
    if (perSecond <= 0 || minutes >= 60 || secs >= 60 || frames >= perSecond) return std::nullopt;
    int64_t count = ((int64_t(hours) * 60 + minutes) * 60 + secs) * perSecond + frames;
    // Drop-frame counting skips the first frame numbers of every minute but
    // each tenth, so the count runs with the real 29.97 / 59.94 clock.
    if (dropFrame && perSecond % 30 == 0) {
        const int64_t dropped = perSecond / 15;
        const int64_t totalMinutes = int64_t(hours) * 60 + minutes;
        count -= dropped * (totalMinutes - totalMinutes / 10);
    }
    return count;
}

MediaInfo probeMedia(const std::string& path) {
    MediaInfo facts;
    detail::OpenedInput input = detail::openInput(path);
    if (!input.status) {
        facts.status = input.status;
        return facts;
    }
    const AVFormatContext* format = input.format.get();
    const AVStream* video = videoStream(format);
    const int audioIndex =
        av_find_best_stream(input.format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    facts.hasVideo = video != nullptr;
    facts.hasAudio = audioIndex >= 0;

    if (!facts.hasVideo && facts.hasAudio) {
        // The audio layer's own figure (see audioDuration).
        const AVStream* audio = format->streams[audioIndex];
        const int rate = audio->codecpar->sample_rate;
        if (const int64_t samples = detail::declaredSampleCount(format, audio, rate); samples > 0)
            facts.duration = static_cast<double>(samples) / rate;
    } else if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
        facts.duration = static_cast<double>(format->duration) / AV_TIME_BASE;
    } else if (video && video->duration != AV_NOPTS_VALUE && video->duration > 0) {
        facts.duration = seconds(video->duration, video->time_base);
    }

    if (video) readVideoStream(video, facts);
    facts.audioStreams = audioStreamsOf(format);

    if (const std::optional<std::string> timecode = findTimecode(format, video)) {
        std::optional<double> rate = facts.frameRate;
        if (!rate && video) rate = rateOf(video->r_frame_rate);
        facts.timecode = *timecode;
        facts.dropFrame = isDropFrameTimecode(*timecode);
        if (rate) {
            facts.timecodeFrames = timecodeToFrames(*timecode, *rate);
            facts.start = timecodeToSeconds(*timecode, *rate);
        }
    }
    if (!facts.start && format->start_time != AV_NOPTS_VALUE)
        facts.start = static_cast<double>(format->start_time) / AV_TIME_BASE;

    facts.status = Status::success();
    return facts;
}

std::optional<double> MediaTiming::getDuration(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return probeMedia(path).duration;
}

std::optional<double> MediaTiming::getFrameRate(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return probeMedia(path).frameRate;
}

std::optional<double> MediaTiming::getStart(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return probeMedia(path).start;
}

double VideoTiming::getVideoDuration(const std::string& path) {
    if (path.empty()) return 0;
    detail::OpenedInput input = detail::openInput(path);
    if (!input.status) return 0;
    if (const AVStream* video = videoStream(input.format.get()))
        if (video->duration != AV_NOPTS_VALUE && video->duration > 0)
            return *seconds(video->duration, video->time_base);
    const int64_t duration = input.format->duration;
    return duration != AV_NOPTS_VALUE && duration > 0 ? static_cast<double>(duration) / AV_TIME_BASE
                                                      : 0;
}

double VideoTiming::getVideoStartTime(const std::string& path, bool vfrAdjust) {
    if (path.empty()) return 0;
    const MediaInfo facts = probeMedia(path);
    const double start = facts.start.value_or(0);
    if (vfrAdjust && facts.variableFrameRate && facts.frameRate)
        return std::round(start * *facts.frameRate) / *facts.frameRate;
    return start;
}

std::optional<double> VideoTiming::getFrameRate(const std::string& path) {
    return MediaTiming::getFrameRate(path);
}

std::optional<VideoSize> intSize(const std::string& videoPath) {
    if (videoPath.empty()) return std::nullopt;
    return probeMedia(videoPath).videoSize;
}

} // namespace quelvo
