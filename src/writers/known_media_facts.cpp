#include "writers/media_facts.h"

namespace quelvo {

KnownMediaFacts& KnownMediaFacts::add(const std::string& path, File file) {
    // The header facts belong to the file, whatever role it plays; the music
    // clusters belong to the music role. A filler that is the music file
    // itself, added after it, must not take the music's clusters away.
    if (!file.musicClusters.empty()) m_musicClusters[path] = file.musicClusters;
    m_files[path] = std::move(file);
    return *this;
}

const KnownMediaFacts::File* KnownMediaFacts::find(const std::string& path) const {
    const auto it = m_files.find(path);
    return it == m_files.end() ? nullptr : &it->second;
}

AudioFileInfo KnownMediaFacts::audioFile(const std::string& path) const {
    AudioFileInfo info;
    const File* f = find(path);
    if (!f) {
        info.status = Status::failure("no facts are known for " + path);
        return info;
    }
    info.status = Status::success();
    info.sampleRate = f->sampleRate;
    info.channels = f->channels;
    info.sampleCount = f->sampleCount;
    info.duration = mediaDuration(path).value_or(0);
    return info;
}

std::optional<double> KnownMediaFacts::mediaDuration(const std::string& path) const {
    const File* f = find(path);
    if (!f) return std::nullopt;
    if (f->duration) return f->duration;
    if (f->sampleRate <= 0) return std::nullopt;
    return static_cast<double>(f->sampleCount) / f->sampleRate;
}

ClusterList KnownMediaFacts::musicClusters(const std::string& musicPath) const {
    const auto it = m_musicClusters.find(musicPath);
    return it == m_musicClusters.end() ? ClusterList{} : it->second;
}

} // namespace quelvo
