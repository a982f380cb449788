#include "media/video_frame.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "media/ffmpeg_input.h"

namespace quelvo {

namespace {

using namespace quelvo::detail;

struct ScalerFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

RgbImage scaled(const AVFrame* frame, int maxWidth, int maxHeight) {
    RgbImage image;
    // Square pixels on screen: the sample aspect ratio widens or narrows the picture.
    double shownWidth = frame->width;
    if (frame->sample_aspect_ratio.num > 0 && frame->sample_aspect_ratio.den > 0)
        shownWidth *= av_q2d(frame->sample_aspect_ratio);
    const double scale =
        std::min(maxWidth / shownWidth, static_cast<double>(maxHeight) / frame->height);
    image.width = std::max(1, static_cast<int>(std::lround(shownWidth * scale)));
    image.height = std::max(1, static_cast<int>(std::lround(frame->height * scale)));
    std::unique_ptr<SwsContext, ScalerFreer> scaler(sws_getContext(
        frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), image.width,
        image.height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler) return {};
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
    uint8_t* planes[4] = {image.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {image.width * 3, 0, 0, 0};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return image;
}

// Decodes from the seek point on up to the frame shown at `target` (stream
// ticks) and leaves it in `kept`; false when no frame could be decoded.
bool decodeShownFrame(AVFormatContext* format, AVCodecContext* decoder, int index, int64_t target,
                      AVFrame* kept) {
    const AVStream* stream = format->streams[index];
    // One frame in stream ticks, from the average rate: the frame shown at
    // the target is the last one starting at or before it.
    int64_t frameLength = 1;
    if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
        frameLength = std::max<int64_t>(
            1, av_rescale_q(1, av_inv_q(stream->avg_frame_rate), stream->time_base));
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    bool haveKept = false;
    bool draining = false;
    while (true) {
        if (!draining) {
            const int read = av_read_frame(format, packet.get());
            if (read < 0) {
                draining = true;
                avcodec_send_packet(decoder, nullptr);
            } else {
                if (packet->stream_index == index) avcodec_send_packet(decoder, packet.get());
                av_packet_unref(packet.get());
            }
        }
        bool reached = false;
        int received = 0;
        while ((received = avcodec_receive_frame(decoder, frame.get())) == 0) {
            av_frame_unref(kept);
            av_frame_move_ref(kept, frame.get());
            haveKept = true;
            const int64_t pts = kept->best_effort_timestamp;
            const int64_t length = frameLength;
            if (pts == AV_NOPTS_VALUE || pts + length > target) {
                reached = true;
                break;
            }
        }
        if (reached || (draining && received == AVERROR_EOF)) break;
        if (draining && received != 0 && received != AVERROR(EAGAIN)) break;
    }
    return haveKept;
}

} // namespace

FrameResult readFrame(const std::string& path, double seconds, int maxWidth, int maxHeight) {
    FrameResult result;
    if (maxWidth < 1 || maxHeight < 1) {
        result.status = Status::failure("no room for a picture");
        return result;
    }
    OpenedInput input = openInput(path);
    if (!input.status) {
        result.status = input.status;
        return result;
    }
    AVFormatContext* format = input.format.get();
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        result.status = Status::failure("the file has no video");
        return result;
    }
    AVStream* stream = format->streams[index];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        result.status = Status::failure("no decoder for this video");
        return result;
    }
    CodecPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        result.status = Status::failure("cannot open the video decoder");
        return result;
    }

    // Times count from the stream's first frame; the seek lands on the key
    // frame before the target and decoding walks forward from there.
    const int64_t first = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    const double safe = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    const int64_t target = first + static_cast<int64_t>(safe / av_q2d(stream->time_base));
    av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD);

    FramePtr kept(av_frame_alloc());
    const bool haveKept = decodeShownFrame(format, decoder.get(), index, target, kept.get());
    if (!haveKept) {
        result.status = Status::failure("no picture could be decoded");
        return result;
    }
    result.image = scaled(kept.get(), maxWidth, maxHeight);
    result.status = result.image.pixels.empty() ? Status::failure("the picture could not be scaled")
                                                : Status::success();
    return result;
}

} // namespace quelvo
