#include "mix/dialogue_sum.h"

#include <algorithm>

#include "mix/mixer.h"

namespace quelvo::mix {

namespace {

quelvo::Status cannotReadDialogue(const std::string& path, const std::string& why) {
    return quelvo::Status::failure(cannotRead("dialogue", path, why));
}

} // namespace

std::unique_ptr<DialogueSum> DialogueSum::open(const std::vector<std::string>& paths,
                                               const quelvo::PcmFormat& format,
                                               quelvo::Status& status) {
    auto sum = std::unique_ptr<DialogueSum>(new DialogueSum);
    sum->m_format = format;
    for (const std::string& path : paths) {
        auto stream = quelvo::PcmStream::open(path, sum->m_format, status);
        if (!stream) {
            status = cannotReadDialogue(path, status.message());
            return nullptr;
        }
        sum->m_format = stream->format();
        sum->m_paths.push_back(path);
        sum->m_streams.push_back(std::move(stream));
    }
    if (sum->m_streams.empty()) {
        status = quelvo::Status::failure("No dialogue recording was given.");
        return nullptr;
    }
    sum->m_block.assign(sum->m_format.channels, {});
    sum->m_planes.resize(sum->m_format.channels);
    status = quelvo::Status::success();
    return sum;
}

int DialogueSum::read(double* const* planes, int frames) {
    const int channels = m_format.channels;
    int longest = m_streams.front()->read(planes, frames);
    for (int c = 0; c < channels; ++c)
        std::fill(planes[c] + longest, planes[c] + frames, 0.0);
    for (size_t s = 1; s < m_streams.size(); ++s) {
        for (int c = 0; c < channels; ++c) {
            m_block[c].resize(frames);
            m_planes[c] = m_block[c].data();
        }
        const int got = m_streams[s]->read(m_planes.data(), frames);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < got; ++i)
                planes[c][i] += m_block[c][i];
        longest = std::max(longest, got);
    }
    return longest;
}

quelvo::Status DialogueSum::status() const {
    for (size_t s = 0; s < m_streams.size(); ++s)
        if (!m_streams[s]->status())
            return cannotReadDialogue(m_paths[s], m_streams[s]->status().message());
    return quelvo::Status::success();
}

quelvo::Status DialogueSum::damageVerdict() const {
    for (size_t s = 0; s < m_streams.size(); ++s)
        if (quelvo::Status whole = m_streams[s]->damageVerdict(); !whole)
            return cannotReadDialogue(m_paths[s], whole.message());
    return quelvo::Status::success();
}

} // namespace quelvo::mix
