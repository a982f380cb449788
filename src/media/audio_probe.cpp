// Audio file facts from the container's header, without decoding the file.
#include "media/audio_file.h"
#include "media/ffmpeg_input.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace quelvo {

AudioFileInfo probeAudioFile(const std::string& path) {
    AudioFileInfo info;
    detail::OpenedInput input = detail::openInput(path);
    if (!input.status) {
        info.status = input.status;
        return info;
    }
    AVFormatContext* format = input.format.get();
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        info.status = Status::failure("the file has no audio stream");
        return info;
    }
    if (Status believable = detail::checkStreamHeader(input, index); !believable) {
        info.status = believable;
        return info;
    }
    const AVStream* stream = format->streams[index];
    const int sampleRate = stream->codecpar->sample_rate;
    info.sampleRate = sampleRate;
    info.channels = stream->codecpar->ch_layout.nb_channels;
    info.sampleCount = detail::declaredSampleCount(format, stream, sampleRate);
    info.duration = static_cast<double>(info.sampleCount) / sampleRate;
    info.estimated = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    info.status = Status::success();
    return info;
}

double audioDuration(const std::string& path) {
    if (path.empty()) return 0;
    return probeAudioFile(path).duration;
}

int audioSampleRate(const std::string& path) {
    if (path.empty()) return 0;
    return probeAudioFile(path).sampleRate;
}

} // namespace quelvo
