// quelvo-cli titles: a subtitle file (SRT, WebVTT, ASS/SSA) to an FCPXML project of titles.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include "app/cli/commands.h"
#include "platform/mediainfo/media_info.h"
#include "platform/movie/fcpxml_video_fragments.h"
#include "platform/toolkit/files.h"
#include "platform/toolkit/output_files.h"
#include "platform/toolkit/services.h"
#include "titles/fcpxml_titles.h"
#include "titles/ky_srt.h"
#include "titles/text_encodings.h"
#include "titles/titles_project.h"
#include "titles/video_facts.h"

namespace quelvo::cli {

namespace {

struct TitlesOptions {
    std::string file;
    std::optional<std::string> video;
    std::optional<std::string> format;
    std::optional<std::string> event;
    std::optional<std::string> output;
    std::optional<std::string> settings;
    std::optional<std::string> encoding;
    bool force = false;
};

// The settings from --settings, decoded as tolerantly as the stored ones.
std::optional<FCPXML_Titles_Settings> readSettingsFile(const std::string& path) {
    std::string text, error;
    if (!kykit::fu_readBytes(path, text, &error)) {
        printError("settings " + path + ": cannot read it: " + error);
        return std::nullopt;
    }
    auto settings = FCPXML_Titles_Settings::decodeText(text);
    if (!settings) printError("settings " + path + ": not a JSON object of title settings");
    return settings;
}

int runTitles(const TitlesOptions& options) {
    if (options.encoding && !isKnownEncoding(*options.encoding)) {
        printError("--encoding: the encoding " + *options.encoding +
                   " is unknown (for example UTF-8, WINDOWS-1250, ISO-8859-2)");
        return 2;
    }

    std::optional<FCPXML_Titles_Settings> settings;
    if (options.settings) {
        settings = readSettingsFile(*options.settings);
        if (!settings) return 1;
    }

    // An editor's existing project is never replaced without being asked
    // for, and the subtitles, video or settings never, --force or not.
    const std::string output = options.output.value_or(titles::defaultProjectPath(options.file));
    kykit::OutputPlan outputs;
    outputs.inputs = {options.file, options.video.value_or(""), options.settings.value_or("")};
    outputs.outputs = {output};
    outputs.replaceExisting = options.force;
    if (const auto refused = kykit::checkOutputPlan(outputs)) {
        printError(*refused);
        return 1;
    }

    std::string problem;
    const FCPXML_Titles_Settings& reading = settings ? *settings : FCPXML_Titles_Settings::shared();
    const KySRT srt = options.encoding ? KySRT::fromFileInEncoding(options.file, *options.encoding, reading, &problem)
                                       : KySRT::fromFileUrl(options.file, reading, &problem);
    if (srt.titles.empty()) {
        printError(options.file + ": no subtitles could be read: " + problem);
        return 1;
    }

    // Broken blocks are left out, not the rest of the file: say how much.
    if (srt.skippedBlocks > 0)
        printWarning("skipped " + std::to_string(srt.skippedBlocks) + " broken subtitle block" +
                     (srt.skippedBlocks == 1 ? "" : "s") + " (" + std::to_string(srt.skippedLines) + " line" +
                     (srt.skippedLines == 1 ? "" : "s") + ") in " + options.file);
    if (srt.skippedCues > 0)
        printWarning("skipped " + std::to_string(srt.skippedCues) + " cue" + (srt.skippedCues == 1 ? "" : "s") +
                     " whose end is not after its start in " + options.file);
    // Titles all sit where the title settings put them; only captions can
    // carry a cue's own place.
    const auto topCues = std::count_if(srt.titles.begin(), srt.titles.end(),
                                       [](const KySRTTitle& t) { return t.placement == CuePlacement::top; });
    if (topCues > 0)
        printWarning(std::to_string(topCues) + " cue" + (topCues == 1 ? " asks" : "s ask") +
                     " to be shown at the top; titles keep the title settings' position (--as captions keeps it)");
    if (srt.replacedControls > 0)
        printWarning("replaced " + std::to_string(srt.replacedControls) + " control character" +
                     (srt.replacedControls == 1 ? "" : "s") +
                     " (U+0080-U+009F, no text in any encoding) with U+FFFD in " + options.file);

    if (options.video) {
        const kymediainfo::MediaFacts facts = kymediainfo::probeMedia(*options.video);
        if (!facts.status) {
            printError("video " + *options.video + ": " + facts.status.message());
            return 1;
        }
        if (!titles::hasMovingPicture(facts)) {
            printError("video " + *options.video + " has no moving picture to put the titles on");
            return 1;
        }
    }

    const bool useV19 = chosenVersion(options.format) == kymovie::FCP106ExportOptionsVC::Version::fcp106;
    const std::string event = options.event.value_or(titles::defaultEventName(options.file));
    FCPXML_Titles titles = settings ? FCPXML_Titles(event, srt.titles, options.video, *settings)
                                    : FCPXML_Titles(event, srt.titles, options.video);
    const kykit::Status status = titles.exportXML(output, useV19, titles::projectComment(options.file));
    std::cout.flush();
    if (!status) {
        printError(status.message());
        return 1;
    }
    return 0;
}

} // namespace

void registerTitlesCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<TitlesOptions>();
    CLI::App* command = app.add_subcommand(
        "titles", "Turn an SRT, WebVTT or ASS/SSA subtitle file into an FCPXML project of titles "
                   "(each title is printed as it is made)");
    command->add_option("FILE", options->file, "SRT, WebVTT or ASS/SSA subtitle file (UTF-8, UTF-16 or a detected 8-bit encoding)")->required();
    command->add_option("--video", options->video, "video the titles belong to; they are attached to its clip");
    command->add_option("--format", options->format, "FCPXML version (default: the stored preference)")
        ->check(CLI::IsMember({"1.9", "1.6"}));
    command->add_option("--event", options->event,
                        "event and project name (default: the subtitle file's name; a video's name wins)");
    command->add_option("--output", options->output, "where to write the project (default: FILE with .fcpxml)");
    command->add_option("--settings", options->settings,
                        "title settings JSON file to use instead of the stored settings");
    command->add_option("--encoding", options->encoding,
                        "read FILE in this encoding (UTF-8, UTF-16, WINDOWS-1252, ISO-8859-2, ...) instead of guessing");
    command->add_flag("--force", options->force, "replace the project file if it already exists");
    command->callback([options, &exitCode] { exitCode = runTitles(*options); });
}

} // namespace quelvo::cli
