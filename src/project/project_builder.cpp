#include "project/project_builder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/files.h"
#include "base/strings.h"
#include "project/dialogue_roles.h"
#include "project/filler_clips.h"
#include "project/filler_fade.h"
#include "project/volume_keyframes.h"

namespace quelvo {

namespace {

// Finer steps would only lengthen the documents: a quarter second keeps the
// straight lines between keyframes within a fraction of a dB of the curve
// where the music is still clearly heard.
constexpr double kFadeStep = 0.25;

ClipSource clipSource(const std::string& path, const MediaFileFacts& facts, std::string role) {
    return ClipSource{path, facts, std::filesystem::path(path).filename().string(),
                      std::move(role)};
}

double gainToDb(double gain) {
    if (gain <= 0) return kSilenceDb;
    return std::max<double>(kSilenceDb, 20.0 * std::log10(gain));
}

} // namespace

VolumeKeyframeList musicKeyframes(const ClusterList& speech, const EnvelopeTiming& rolls,
                                  const DuckDepth& depth, const std::vector<int>& duckedLevels) {
    if (!duckedLevels.empty())
        return makeVolumeKeyframes(speech, rolls, duckedLevels, depth.overallMusicLevel);
    return makeVolumeKeyframes(speech, rolls, depth.toZero, depth.decrease,
                               depth.overallMusicLevel);
}

VolumeKeyframeList fillerFadeKeyframes(double clipSeconds) {
    VolumeKeyframeList keyframes;
    if (!(clipSeconds > 0)) return keyframes;
    const double fadeStart = std::max(0.0, clipSeconds - kFillerFadeSeconds);
    keyframes.push_back({fadeStart, gainToDb(fillerFadeGain(clipSeconds, fadeStart))});
    for (double t = fadeStart + kFadeStep; t < clipSeconds - 1e-9; t += kFadeStep)
        keyframes.push_back({t, gainToDb(fillerFadeGain(clipSeconds, t))});
    keyframes.push_back({clipSeconds, kSilenceDb});
    return keyframes;
}

std::vector<FillerPlacementClip> fillerPlacements(const ClusterList& musicSounding,
                                                  double fillerSeconds, FrameGrid grid) {
    std::vector<FillerPlacementClip> clips;
    for (const FillerPlacement& p : placeFillers(musicSounding, fillerSeconds, grid)) {
        FillerPlacementClip clip{p.offsetSteps, p.durationSteps, {}, grid};
        clip.fade = fillerFadeKeyframes(clip.duration());
        clips.push_back(std::move(clip));
    }
    return clips;
}

bool requestUsesFiller(const DuckRequest& request) {
    const std::string& filler = request.inputs.filler;
    // The drop areas show "Drag Here" until a file is dropped.
    return !filler.empty() && !quelvo::contains(quelvo::toLower(filler), "drag here");
}

std::optional<VideoSourceFacts> videoSourceFacts(const MediaInfo& media) {
    if (!media.status || !media.hasVideo || !media.frameDuration.valid()) return std::nullopt;
    VideoSourceFacts video;
    video.frameDuration = media.frameDuration;
    if (media.videoSize) {
        video.width = media.videoSize->width;
        video.height = media.videoSize->height;
    }
    video.color = media.color;
    video.startFrames = media.timecodeFrames.value_or(0);
    video.dropFrame = media.dropFrame;
    video.variableFrameRate = media.variableFrameRate;
    video.audioStreams = media.audioStreams;
    return video;
}

TimelineFormat timelineFor(const std::vector<DialogueClip>& dialogue) {
    TimelineFormat timeline;
    if (dialogue.empty() || !dialogue.front().source.facts.video) return timeline;
    const VideoSourceFacts& video = *dialogue.front().source.facts.video;
    timeline.frameRate = nearestTimelineRate(video.framesPerSecond());
    if (video.width > 0 && video.height > 0) {
        timeline.width = video.width;
        timeline.height = video.height;
    }
    timeline.dropFrame = video.dropFrame;
    timeline.fromVideo = true;
    return timeline;
}

FrameGrid fillerGridFor(const TimelineFormat& timeline) {
    return timeline.fromVideo ? timeline.frameGrid() : kTenthsGrid;
}

ProjectDescription describeProject(const DuckRequest& request, const ProjectAnalysis& analysis) {
    ProjectDescription project;
    project.eventName = request.eventName;
    project.projectName = request.projectName;
    const std::vector<std::string> roles = dialogueRoles(request.inputs.dialogue);
    for (size_t i = 0; i < request.inputs.dialogue.size(); ++i) {
        const MediaFileFacts facts =
            i < analysis.dialogue.size() ? analysis.dialogue[i] : MediaFileFacts{};
        project.dialogue.push_back({clipSource(request.inputs.dialogue[i], facts, roles[i]), 0.0});
        project.duration = std::max(project.duration, facts.duration);
    }
    project.timeline = timelineFor(project.dialogue);
    project.music.source = clipSource(request.inputs.music, analysis.music, request.musicRole);
    project.music.overallLevel = request.depth.overallMusicLevel;
    project.music.keyframes =
        musicKeyframes(analysis.speech, request.rolls, request.depth, analysis.duckedLevels);
    project.duration = std::max(project.duration, analysis.music.duration);
    if (requestUsesFiller(request)) {
        project.music.soundingIntervals = analysis.musicSounding;
        FillerTrack filler;
        filler.source = clipSource(request.inputs.filler, analysis.filler, "BGM");
        filler.clips = fillerPlacements(analysis.musicSounding, analysis.filler.duration,
                                        fillerGridFor(project.timeline));
        project.filler = std::move(filler);
        project.duration = std::max(project.duration, analysis.filler.duration);
    }
    project.speech = analysis.speech;
    project.duckedLevels = analysis.duckedLevels;
    return project;
}

} // namespace quelvo
