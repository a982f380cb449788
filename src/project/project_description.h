#pragma once
// What a ducking project holds, apart from any editor's format: the timeline,
// the dialogue clip(s), the music with its volume keyframes, the filler clips
// with their fades, and the names. The job builds one description from a
// DuckRequest after the analyses; every writer (FCPXML 1.9 and 1.6, FCP7 XML,
// MLT, Kdenlive), the rendered mix, the preview and `duck --plot` read the
// same one, so no two of them can place a clip or a keyframe differently.
//
// Values are raw: seconds as double, media facts as numbers, levels in dB.
// Each writer formats times its own way (tenths, frames, 1/3000 s, clock
// texts), which is why nothing here is pre-formatted or pre-rounded. The
// keyframes are those the keyframe rule made, unrounded and in its order.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/cluster.h"
#include "media/media_info.h"
#include "project/frame_grid.h"
#include "project/volume_keyframe.h"

namespace quelvo {

// The timeline the clips are placed on. Audio-only projects still need a
// picture format for the editors that insist on one; with a video dialogue
// the timeline takes the video's size and the timeline rate nearest to its
// frame rate, and every edit point sits on its frames.
struct TimelineFormat {
    double frameRate = 30; // frames per second, one of kTimelineRates
    int width = 1920;
    int height = 1080;
    bool dropFrame = false; // the video's timecode counts drop-frame
    bool fromVideo = false; // the format follows a video dialogue
    double frameSeconds() const { return 1.0 / frameRate; }
    FrameGrid frameGrid() const { return frameGridOf(frameRate); }
    bool operator==(const TimelineFormat&) const = default;
};

// The picture of a video recording, as its file describes it.
struct VideoSourceFacts {
    Rational frameDuration; // the video's own frame, exactly
    int width = 0;
    int height = 0;
    std::optional<ColorCodes> color; // where the file says it
    // Where the media starts: its timecode as a count of its own frames (0
    // without a timecode), so the editor finds the frames it names.
    int64_t startFrames = 0;
    bool dropFrame = false;
    bool variableFrameRate = false;
    std::vector<AudioStreamFacts> audioStreams; // every one, in file order
    double startSeconds() const {
        return static_cast<double>(startFrames) * frameDuration.seconds();
    }
    double framesPerSecond() const {
        return frameDuration.valid() ? 1.0 / frameDuration.seconds() : 0;
    }
    bool operator==(const VideoSourceFacts&) const = default;
};

// What the writers need to know about one media file, as the job found it
// (the header's facts, corrected where the audio that is there lasts longer
// or shorter). Zero where unknown.
struct MediaFileFacts {
    int sampleRate = 0; // Hz
    int channels = 0;
    int64_t sampleCount = 0;                              // frames at sampleRate
    double duration = 0;                                  // the media's length in seconds
    std::optional<VideoSourceFacts> video = std::nullopt; // absent for a sound recording
    bool operator==(const MediaFileFacts&) const = default;
};

// One recording on the timeline. `name` is what an editor shows for the clip
// (the file's name with its extension); `role` is the audio role the editor
// files it under.
struct ClipSource {
    std::string path; // absolute or as given; writers make their own URLs
    MediaFileFacts facts;
    std::string name;
    std::string role;
    bool operator==(const ClipSource&) const = default;
};

// A dialogue recording, placed from `offset` for its whole media length.
struct DialogueClip {
    ClipSource source; // role "dialogue"
    double offset = 0;
    bool operator==(const DialogueClip&) const = default;
};

// The music bed, placed at 0 for its whole media length, under its envelope.
struct MusicClip {
    ClipSource source; // role: the user's choice ("music" unless renamed)
    // The overall music level in dB: the level between speech.
    int overallLevel = 0;
    // The envelope, computed once by the keyframe rule: times in seconds on
    // the clip (= on the timeline), levels in dB, -96 for silence. Four per
    // speech interval, in interval order, never sorted or merged.
    VolumeKeyframeList keyframes;
    // Where the music itself sounds (the -60 dB analysis); only found when a
    // filler is used. The filler clips sit in the gaps between these.
    ClusterList soundingIntervals;
    bool operator==(const MusicClip&) const = default;
};

// How long a filler clip fades out at its end, in seconds.
inline constexpr double kFillerFadeSeconds = 5.0;

// One filler clip: it plays the filler from its media start at `offset` on
// the timeline for `duration` seconds. The times are whole steps of `grid`
// (tenths of a second, or the frames of a video dialogue's timeline, as the
// placement rule makes them), kept as counts so that writers print exactly
// those.
struct FillerPlacementClip {
    int64_t offsetSteps = 0;
    int64_t durationSteps = 0;
    // The fade-out as level keyframes on the clip's own time (0 = the clip's
    // start), in dB: full level until the fade begins, then the eased fall
    // to -96 dB at the clip's end, sampled finely enough for a writer that
    // can only draw straight lines between keyframes. A clip shorter than
    // the fade starts fading at once.
    VolumeKeyframeList fade;
    FrameGrid grid = kTenthsGrid;
    double offset() const { return grid.seconds(offsetSteps); }
    double duration() const { return grid.seconds(durationSteps); }
    bool operator==(const FillerPlacementClip&) const = default;
};

// The filler recording and every place it plays.
struct FillerTrack {
    ClipSource source; // role "BGM"
    std::vector<FillerPlacementClip> clips;
    bool operator==(const FillerTrack&) const = default;
};

struct ProjectDescription {
    TimelineFormat timeline;
    // The timeline's length in seconds: the longest of the dialogue, the
    // music and the filler media.
    double duration = 0;
    // At least one; several recordings of one scene come later, each on its
    // own track, their speech united.
    std::vector<DialogueClip> dialogue;
    MusicClip music;
    std::optional<FillerTrack> filler; // absent when no filler was chosen
    std::string eventName;
    std::string projectName;

    // The analysis behind the envelope, for renderers and pictures: the
    // speech intervals the keyframes were made from (after gap closing,
    // unless the request gave them), and with depth by loudness the ducked
    // level of each (empty otherwise: every interval at one level).
    ClusterList speech;
    std::vector<int> duckedLevels;

    bool operator==(const ProjectDescription&) const = default;
};

} // namespace quelvo
