#pragma once
// The one place a project description is made from what the analyses found,
// and the one place the keyframe rule and the filler placement are applied:
// the job, the rendered mix, the preview and `duck --plot` all go through
// here, so a keyframe or a filler clip cannot be placed two ways.
#include <optional>
#include <vector>

#include "project/duck_request.h"
#include "project/project_description.h"

namespace quelvo {

// The music's envelope for speech intervals: the keyframe rule with the one
// decrease, or with a level per interval when `duckedLevels` is not empty
// (depth by loudness).
VolumeKeyframeList musicKeyframes(const ClusterList& speech, const EnvelopeTiming& rolls,
                                  const DuckDepth& depth,
                                  const std::vector<int>& duckedLevels = {});

// The filler clips for the gaps between the stretches where the music
// sounds, each with its fade-out as keyframes. `fillerSeconds` <= 0: the
// filler's length is unknown and a clip fills its gap. Times are whole steps
// of `grid` (fillerGridFor).
std::vector<FillerPlacementClip> fillerPlacements(const ClusterList& musicSounding,
                                                  double fillerSeconds,
                                                  FrameGrid grid = kTenthsGrid);

// The timeline a project's clips go on: the first dialogue's video size and
// the timeline rate nearest to its frame rate, drop-frame as its timecode;
// the 30 fps 1080p timeline without a video.
TimelineFormat timelineFor(const std::vector<DialogueClip>& dialogue);

// The grid filler clips are placed on: the timeline's frames with a video
// dialogue, whole tenths of a second without.
FrameGrid fillerGridFor(const TimelineFormat& timeline);

// The fade-out of a filler clip of this length as keyframes on the clip's own
// time: the eased fall the mix plays, sampled every quarter second.
VolumeKeyframeList fillerFadeKeyframes(double clipSeconds);

// The picture facts a probe found, for a clip's source; nothing for a file
// without a video stream (cover art is no video).
std::optional<VideoSourceFacts> videoSourceFacts(const MediaInfo& media);

// What the job found: each file's facts and the intervals.
struct ProjectAnalysis {
    std::vector<MediaFileFacts> dialogue; // one per request.inputs.dialogue
    MediaFileFacts music;
    MediaFileFacts filler;
    ClusterList speech;            // the intervals the keyframes are made from
    ClusterList musicSounding;     // only needed with a filler
    std::vector<int> duckedLevels; // with depth by loudness
};

// The description for a request and its analysis. A filler path that is the
// drop area's caption ("Drag Here") is no filler.
ProjectDescription describeProject(const DuckRequest& request, const ProjectAnalysis& analysis);

// Whether the request names a filler recording at all.
bool requestUsesFiller(const DuckRequest& request);

} // namespace quelvo
