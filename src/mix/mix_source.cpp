#include "mix/mix_source.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "mix/dialogue_sum.h"

namespace quelvo::mix {

namespace {

constexpr int kPlaybackBlock = 2048;

} // namespace

struct MixSource::Impl {
    MixInputs in;
    quelvo::PcmFormat format;
    std::unique_ptr<DialogueSum> dialogue;
    std::unique_ptr<quelvo::PcmStream> music, filler;
    size_t fillerClip = 0;  // the clip `filler` plays, when open
    int64_t position = 0;   // in frames
    int64_t fillersEnd = 0; // frames
    quelvo::Status status = quelvo::Status::success();
    std::vector<std::vector<double>> a, b, f;
    std::vector<double*> pa, pb, pf;
    std::vector<double> gains;

    void planes(std::vector<std::vector<double>>& data, std::vector<double*>& pointers) {
        data.assign(format.channels, std::vector<double>(kPlaybackBlock));
        pointers.resize(format.channels);
        for (int c = 0; c < format.channels; ++c)
            pointers[c] = data[c].data();
    }

    // Adds the filler clips overlapping [position, position + frames) to b.
    bool addFillers(int frames) {
        const int rate = format.sampleRate;
        const int64_t blockEnd = position + frames;
        for (size_t i = 0; i < in.fillers.size(); ++i) {
            const FillerClip& clip = in.fillers[i];
            const int64_t start = std::llround(clip.offset * rate);
            const int64_t end = std::llround((clip.offset + clip.duration) * rate);
            if (start >= blockEnd) break;
            if (end <= position || end <= start) continue;
            if (!filler || fillerClip != i) {
                // A clip plays the filler from its beginning; starting inside
                // a clip skips what lies before the playhead.
                filler = quelvo::PcmStream::open(in.fillerPath, format, status);
                if (!filler) {
                    status = quelvo::Status::failure(
                        cannotRead("filler", in.fillerPath, status.message()));
                    return false;
                }
                fillerClip = i;
                int64_t skip = std::max<int64_t>(0, position - start);
                while (skip > 0) {
                    const int got = filler->read(
                        pf.data(), static_cast<int>(std::min<int64_t>(skip, kPlaybackBlock)));
                    if (got == 0) break;
                    skip -= got;
                }
            }
            const int from = static_cast<int>(std::max<int64_t>(start, position) - position);
            const int to = static_cast<int>(std::min<int64_t>(end, blockEnd) - position);
            std::vector<double*> at(pf.size());
            for (size_t c = 0; c < at.size(); ++c)
                at[c] = pf[c] + from;
            const int got = filler->read(at.data(), to - from);
            for (int k = from; k < from + got; ++k) {
                const double fade =
                    fillerFadeGain(clip, static_cast<double>(position + k - start) / rate);
                for (size_t c = 0; c < pf.size(); ++c)
                    b[c][k] += f[c][k] * fade;
            }
        }
        return true;
    }
};

MixSource::MixSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
MixSource::~MixSource() = default;

std::unique_ptr<MixSource> MixSource::open(const MixInputs& inputs, double startSeconds,
                                           const quelvo::PcmFormat& format,
                                           quelvo::Status& status) {
    auto impl = std::make_unique<Impl>();
    impl->in = inputs;
    std::vector<std::string> dialogue{inputs.dialoguePath};
    dialogue.insert(dialogue.end(), inputs.moreDialogue.begin(), inputs.moreDialogue.end());
    impl->dialogue = DialogueSum::open(dialogue, format, status);
    if (!impl->dialogue) return nullptr;
    impl->format = impl->dialogue->format();
    impl->music = quelvo::PcmStream::open(inputs.musicPath, impl->format, status);
    if (!impl->music) {
        status = quelvo::Status::failure(cannotRead("music", inputs.musicPath, status.message()));
        return nullptr;
    }
    impl->planes(impl->a, impl->pa);
    impl->planes(impl->b, impl->pb);
    impl->planes(impl->f, impl->pf);
    impl->gains.resize(kPlaybackBlock);
    if (!inputs.fillerPath.empty())
        for (const auto& clip : inputs.fillers)
            impl->fillersEnd =
                std::max<int64_t>(impl->fillersEnd, std::llround((clip.offset + clip.duration) *
                                                                 impl->format.sampleRate));
    int64_t skip = std::max<int64_t>(0, std::llround(startSeconds * impl->format.sampleRate));
    while (skip > 0) {
        const int n = static_cast<int>(std::min<int64_t>(skip, kPlaybackBlock));
        const int d = impl->dialogue->read(impl->pa.data(), n);
        const int m = impl->music->read(impl->pb.data(), n);
        if (d == 0 && m == 0) break;
        skip -= n;
        impl->position += n;
    }
    status = quelvo::Status::success();
    return std::unique_ptr<MixSource>(new MixSource(std::move(impl)));
}

const quelvo::PcmFormat& MixSource::format() const {
    return m_impl->format;
}
double MixSource::position() const {
    return static_cast<double>(m_impl->position) / m_impl->format.sampleRate;
}
const quelvo::Status& MixSource::status() const {
    return m_impl->status;
}

int MixSource::read(float* interleaved, int frames) {
    Impl& m = *m_impl;
    const int channels = m.format.channels;
    int done = 0;
    while (done < frames && m.status) {
        const int want = std::min(kPlaybackBlock, frames - done);
        const int gotD = m.dialogue->read(m.pa.data(), want);
        const int gotM = m.music->read(m.pb.data(), want);
        const int n =
            std::max({gotD, gotM,
                      static_cast<int>(std::clamp<int64_t>(m.fillersEnd - m.position, 0, want))});
        if (n == 0) break;
        for (int c = 0; c < channels; ++c) {
            std::fill(m.a[c].begin() + gotD, m.a[c].begin() + n, 0.0);
            std::fill(m.b[c].begin() + gotM, m.b[c].begin() + n, 0.0);
        }
        m.in.envelope.linearGains(m.position, n, m.format.sampleRate, m.gains.data());
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
                m.b[c][i] *= m.gains[i];
        if (!m.in.fillerPath.empty() && !m.addFillers(n)) break;
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                interleaved[(done + i) * channels + c] = static_cast<float>(m.a[c][i] + m.b[c][i]);
        m.position += n;
        done += n;
        if (!m.dialogue->status())
            m.status = m.dialogue->status();
        else if (!m.music->status())
            m.status = m.music->status();
    }
    return done;
}

} // namespace quelvo::mix
