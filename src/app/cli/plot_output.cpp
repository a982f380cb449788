// duck --plot: the preview picture of what the job just decided, as SVG. The
// waveforms come from a second read of the files; the speech, keyframes and
// filler clips are the project description's own, so the picture shows what
// was written.
#include "app/cli/plot_output.h"

#include <filesystem>

#include "base/files.h"
#include "preview/preview_geometry.h"
#include "preview/svg_writer.h"

namespace quelvo::cli {

quelvo::Status writeDuckPlot(const std::string& path, const ProjectDescription& project) {
    preview::PreviewScene scene = preview::sceneOf(project);
    const std::string dialogue =
        project.dialogue.empty() ? "" : project.dialogue.front().source.path;
    const std::string& music = project.music.source.path;
    for (auto [file, track] :
         {std::pair(&dialogue, &scene.dialogue), std::pair(&music, &scene.music)}) {
        preview::TrackAnalysis analysed = preview::analyzeLevelTrack(*file);
        if (!analysed.status)
            return quelvo::Status::failure("Cannot read " + *file +
                                           " for the plot: " + analysed.status.message() + ".");
        *track = analysed.track;
    }
    const preview::Viewport view = preview::fitViewport(scene.duration(), 1600, 360);
    const std::string title = std::filesystem::path(dialogue).filename().string() + " / " +
                              std::filesystem::path(music).filename().string();
    quelvo::Status written =
        preview::writePreviewSvg(path, preview::layoutPreview(scene, view), title);
    if (!written)
        return quelvo::Status::failure("Cannot write the plot " + path + ": " + written.message() +
                                       ".");
    return written;
}

} // namespace quelvo::cli
