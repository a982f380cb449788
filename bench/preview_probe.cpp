// Figures for bench/preview_bench.py: the time to the first picture of the
// preview in each detection mode against the job's two analyses in that mode, the memory the preview keeps, and
// the redraw after a control changes (model update and paint apart).
// Prints one JSON object. Usage: preview_probe DIALOGUE MUSIC
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>

#include "preview/preview_geometry.h"
#include "preview/preview_model.h"
#include "speech/speech_clusters.h"
#include "ui/windows/preview_canvas.h"

namespace pv = quelvo::preview;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double rssMb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIALOGUE MUSIC\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const std::string dialogue = argv[1], music = argv[2];
    quelvo::ui::PreviewCanvas canvas;
    canvas.resize(1600, 420);
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&image);  // fonts and paint engine warmed up: the program's resting state
    const double resting = rssMb();
    // The cost of painting nothing but the lanes, to tell the surface's own
    // cost (fills of the whole image) from the drawing of an hour's content.
    std::vector<double> empty;
    {
        pv::PreviewScene blank;
        blank.dialogue = std::make_shared<const pv::LevelTrack>(std::vector<float>(360000, 0.0f), 3600.0, 48000);
        canvas.setScene(blank);
        for (int i = 0; i < 15; ++i) {
            const auto t = Clock::now();
            canvas.render(&image);
            empty.push_back(since(t));
        }
    }

    pv::PreviewSettings settings;
    settings.rolls = {0.3, 0.3, 0.3, 0.7, -24};
    settings.withFiller = true;

    // First picture in threshold mode: both files decoded for levels only,
    // the scene, the paint; then the dialogue's second decode for the
    // features, which the window does after the picture is on screen.
    double firstThreshold = 0, featuresAfter = 0;
    {
        const auto t = Clock::now();
        const auto d = pv::analyzeLevelTrack(dialogue);
        const auto m = pv::analyzeLevelTrack(music);
        if (!d.status || !m.status) {
            std::fprintf(stderr, "cannot read: %s %s\n", d.status.message().c_str(), m.status.message().c_str());
            return 1;
        }
        const pv::PreviewModel first(d.track, m.track);
        canvas.setScene(first.scene(settings));
        canvas.render(&image);
        firstThreshold = since(t);
        const auto f = Clock::now();
        const auto withFeatures =
            pv::analyzeLevelTrack(dialogue, nullptr, {}, pv::TrackContent::levelsAndSpeechFeatures);
        featuresAfter = since(f);
        canvas.setScene(pv::PreviewScene{});
    }

    // First picture in automatic mode: the dialogue's one decode measures
    // levels and features together, as the picture needs both.
    settings.rolls.detection = quelvo::DetectionMode::automatic;
    const auto t0 = Clock::now();
    const auto d = pv::analyzeLevelTrack(dialogue, nullptr, {}, pv::TrackContent::levelsAndSpeechFeatures);
    const auto m = pv::analyzeLevelTrack(music);
    if (!d.status || !m.status) {
        std::fprintf(stderr, "cannot read: %s %s\n", d.status.message().c_str(), m.status.message().c_str());
        return 1;
    }
    pv::PreviewModel model(d.track, m.track);
    canvas.setScene(model.scene(settings));
    canvas.render(&image);
    const double firstAutomatic = since(t0);
    const double kept = rssMb() - resting;
    settings.rolls.detection = quelvo::DetectionMode::threshold;

    // Redraw: every control in turn, the model update and the paint timed apart.
    // Paint also as process CPU time: Qt's raster engine hands large fills to
    // its own threads, and on a loaded machine the wall time is mostly waiting.
    std::vector<double> update, paint, layout, paintCpu;
    for (int i = 0; i < 15; ++i) {
        settings.duckingDecrease = -6 - i;
        settings.rolls.threshold = -30 + i;
        settings.decreaseToZero = i % 3 == 0;
        auto t = Clock::now();
        pv::PreviewScene scene = model.scene(settings);
        update.push_back(since(t));
        t = Clock::now();
        const pv::PreviewPicture picture = pv::layoutPreview(scene, canvas.viewport());
        layout.push_back(since(t));
        canvas.setScene(std::move(scene));
        t = Clock::now();
        const std::clock_t c = std::clock();
        canvas.render(&image);  // the geometry again plus the painting
        paint.push_back(since(t));
        paintCpu.push_back(1000.0 * (std::clock() - c) / CLOCKS_PER_SEC);
    }

    // The same in automatic detection: the decision over the kept features.
    std::vector<double> automaticUpdate;
    settings.rolls.detection = quelvo::DetectionMode::automatic;
    for (int i = 0; i < 15; ++i) {
        settings.rolls.postFadeOut = 0.5 + 0.05 * i;
        const auto t = Clock::now();
        const pv::PreviewScene scene = model.scene(settings);
        automaticUpdate.push_back(since(t));
    }

    // Today's two analyses (the job's dialogue and music analyses), for the ratio.
    const auto t1 = Clock::now();
    const auto speech = quelvo::analyzeLevels(dialogue, quelvo::dialogueLevelParameters(-24));
    const auto sound = quelvo::findMusicClusters(music);
    const double today = since(t1);
    // The same in automatic detection.
    quelvo::EnvelopeTiming automatic = settings.rolls;
    const auto t2 = Clock::now();
    const auto found = quelvo::findSpeechClusters(dialogue, automatic);
    const auto sound2 = quelvo::findMusicClusters(music);
    const double todayAutomatic = since(t2);

    std::printf("{\"firstPictureMs\": %.1f, \"featuresAfterMs\": %.1f, \"twoAnalysesMs\": %.1f, \"ratio\": %.3f,"
                " \"firstAutomaticPictureMs\": %.1f, \"twoAutomaticAnalysesMs\": %.1f, \"automaticRatio\": %.3f,"
                " \"restingRssMb\": %.1f, \"previewRssMb\": %.1f, \"keptTrackMb\": %.2f, \"modelUpdateMs\": %.2f,"
                " \"automaticUpdateMs\": %.2f, \"layoutMs\": %.2f, \"paintMs\": %.2f, \"paintEmptyMs\": %.2f,"
                " \"paintCpuMs\": %.2f, \"speechClusters\": %zu, \"keyframes\": %zu}\n",
                firstThreshold, featuresAfter, today, firstThreshold / today, firstAutomatic, todayAutomatic,
                firstAutomatic / todayAutomatic, resting, kept, (d.track->bytes() + m.track->bytes()) / 1048576.0,
                median(update), median(automaticUpdate), median(layout), median(paint), median(empty),
                median(paintCpu), canvas.scene().speech.size(), canvas.scene().keyframes.size());
    return speech.status && sound.status && found.status && sound2.status ? 0 : 1;
}
