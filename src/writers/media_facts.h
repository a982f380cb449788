#pragma once
// What the project writers need to know about the files they describe. In
// the program the facts come from the files themselves (probedMediaFacts);
// a table of known facts gives the same document on every machine, which is
// what golden files and callers that already probed want.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "base/cluster.h"
#include "media/audio_file.h"

namespace quelvo {

class MediaFacts {
  public:
    virtual ~MediaFacts() = default;
    // Header facts of an audio file: exact sample count, rate and channels.
    virtual AudioFileInfo audioFile(const std::string& path) const = 0;
    // The media duration in seconds; absent when unknown (callers read 0).
    virtual std::optional<double> mediaDuration(const std::string& path) const = 0;
    // Where the music sounds at all (the -60 dB analysis), for filler clips.
    virtual ClusterList musicClusters(const std::string& musicPath) const = 0;
};

// Asks FFmpeg afresh on every call.
const MediaFacts& probedMediaFacts();

// The music analysis that places filler clips: threshold -60 dB, decay 0,
// minimum 0.5 s, fades 0.1 s, hysteresis 5 dB, no pre-roll.
ClusterList analyzeMusicForFiller(const std::string& musicPath);

// Facts given by path. A path not listed reads like an unreadable file: no
// length, no rate, no clusters.
class KnownMediaFacts : public MediaFacts {
  public:
    struct File {
        int sampleRate = 0;
        int channels = 0;
        int64_t sampleCount = 0;
        // The media duration; samples/rate when not given.
        std::optional<double> duration;
        // Only for the music role; an entry added later for the same path
        // without clusters (the same file as filler) leaves them in place.
        ClusterList musicClusters;
    };

    KnownMediaFacts& add(const std::string& path, File file);

    AudioFileInfo audioFile(const std::string& path) const override;
    std::optional<double> mediaDuration(const std::string& path) const override;
    ClusterList musicClusters(const std::string& musicPath) const override;

  private:
    const File* find(const std::string& path) const;
    std::map<std::string, File> m_files;
    std::map<std::string, ClusterList> m_musicClusters;
};

} // namespace quelvo
