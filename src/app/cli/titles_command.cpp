// quelvo-cli titles: a subtitle file (SRT, WebVTT, ASS/SSA) to an FCPXML
// project of titles or captions, with the reading-speed checks on the times
// the document holds.
#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/cli/commands.h"
#include "app/cli/setting_option.h"
#include "app/cli/standard_streams.h"
#include "base/files.h"
#include "base/output_files.h"
#include "base/services.h"
#include "media/media_info.h"
#include "titles/subtitle_file.h"
#include "titles/text_encodings.h"
#include "titles/video_facts.h"
#include "writers/caption_document.h"
#include "writers/cue_output.h"
#include "writers/fcpxml_video_fragments.h"
#include "writers/titles_fcpxml.h"
#include "writers/titles_project.h"

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
    std::string as = "titles";
    std::optional<std::string> captionFormat;
    std::optional<std::string> language;
    std::optional<double> maxCPS;
    std::optional<int> maxLineLength;
    std::optional<int> maxLines;
    std::optional<double> minCueDuration;
    bool json = false;
    bool force = false;
};

// What the options ask that cannot be done, as one usage sentence.
std::optional<std::string> usageProblem(const TitlesOptions& o) {
    if (o.encoding && !isKnownEncoding(*o.encoding))
        return "--encoding: the encoding " + *o.encoding +
               " is unknown (for example UTF-8, WINDOWS-1250, ISO-8859-2)";
    const bool captions = o.as == "captions";
    if (captions && o.format == "1.6")
        return "--as captions needs the 1.9 format: FCPXML 1.6 has no captions";
    if (!captions && (o.captionFormat || o.language))
        return "--caption-format and --language are for captions: add --as captions";
    if (o.language && !titles::isLanguageTag(*o.language))
        return "--language: " + *o.language + " is not a language tag such as en, en-US or zh-Hans";
    return std::nullopt;
}

titles::ReadingLimits readingLimits(const TitlesOptions& o) {
    titles::ReadingLimits limits = titles::storedReadingLimits();
    if (o.maxCPS) limits.maxCPS = *o.maxCPS;
    if (o.maxLineLength) limits.maxLineLength = *o.maxLineLength;
    if (o.maxLines) limits.maxLines = *o.maxLines;
    if (o.minCueDuration) limits.minDuration = *o.minCueDuration;
    return limits;
}

// What one run wrote, for the closing line or the --json summary.
struct TitlesOutcome {
    quelvo::Status status = quelvo::Status::success();
    size_t count = 0;
    std::vector<std::string> warnings;
};

TitlesOutcome writeTitles(const TitlesOptions& o, const std::vector<SubtitleCue>& cues,
                          const std::optional<TitlesSettings>& settings,
                          const std::string& output) {
    TitlesOutcome outcome;
    const bool useV19 = chosenVersion(o.format) == quelvo::FcpxmlVersion::v1_9;
    const std::string event = o.event.value_or(titles::defaultEventName(o.file));
    TitlesFcpxml project = settings ? TitlesFcpxml(event, cues, o.video, *settings)
                                    : TitlesFcpxml(event, cues, o.video);
    if (const auto top = titles::topPlacedTitlesWarning(cues)) outcome.warnings.push_back(*top);
    const std::optional<double> fps = o.video ? titles::mediaFrameRate(*o.video) : std::nullopt;
    for (const titles::CueFinding& f :
         titles::checkCues(cues, titles::titleTimings(project, fps), readingLimits(o)))
        outcome.warnings.push_back(titles::findingLine(f));
    {
        // Each title is printed as it is made; under --json standard output
        // carries the summary only.
        std::optional<StdoutToStderr> quiet;
        if (o.json) quiet.emplace();
        outcome.status = project.exportXML(output, useV19, titles::projectComment(o.file));
        std::cout.flush();
    }
    outcome.count = cues.size();
    return outcome;
}

TitlesOutcome writeCaptions(const TitlesOptions& o, const std::vector<SubtitleCue>& cues,
                            const TitlesSettings& settings, const std::string& output) {
    titles::CaptionRequest request;
    request.eventName = o.event.value_or(titles::defaultEventName(o.file));
    request.comment = titles::projectComment(o.file);
    request.cues = cues;
    request.format = titles::captionFormatNamed(o.captionFormat.value_or("srt"))
                         .value_or(titles::CaptionFormat::srt);
    request.language = o.language.value_or("en");
    request.timelineRate = settings.timeLineFPS.value_or(30);
    request.width = static_cast<int>(settings.frameSize.width);
    request.height = static_cast<int>(settings.frameSize.height);
    if (o.video) request.video = titles::CaptionVideo{*o.video, titles::readVideoFacts(*o.video)};

    TitlesOutcome outcome;
    const double rate = titles::captionRate(request);
    const std::vector<titles::CaptionPlacement> places = titles::placeCaptions(cues, rate);
    outcome.warnings =
        titles::captionWarnings(titles::noteCaptions(cues, places, rate), request.format);
    for (const titles::CueFinding& f :
         titles::checkCues(cues, titles::captionTimings(places, rate), readingLimits(o)))
        outcome.warnings.push_back(titles::findingLine(f));
    outcome.status = titles::writeCaptionDocument(request, output);
    outcome.count = cues.size();
    return outcome;
}

// The settings from --settings, decoded as tolerantly as the stored ones.
std::optional<TitlesSettings> readSettingsFile(const std::string& path) {
    std::string text, error;
    if (!quelvo::readFileBytes(path, text, &error)) {
        printError("settings " + path + ": cannot read it: " + error);
        return std::nullopt;
    }
    auto settings = TitlesSettings::decodeText(text);
    if (!settings) printError("settings " + path + ": not a JSON object of title settings");
    return settings;
}

// Broken blocks and backwards cues are left out, not the rest of the
// file: say how much.
std::vector<std::string> readWarningsFor(const SubtitleFile& srt, const std::string& file) {
    std::vector<std::string> readWarnings;
    if (srt.skippedBlocks > 0)
        readWarnings.push_back("skipped " + std::to_string(srt.skippedBlocks) +
                               " broken subtitle block" + (srt.skippedBlocks == 1 ? "" : "s") +
                               " (" + std::to_string(srt.skippedLines) + " line" +
                               (srt.skippedLines == 1 ? "" : "s") + ") in " + file);
    if (srt.skippedCues > 0)
        readWarnings.push_back("skipped " + std::to_string(srt.skippedCues) + " cue" +
                               (srt.skippedCues == 1 ? "" : "s") +
                               " whose end is not after its start in " + file);
    if (srt.replacedControls > 0)
        readWarnings.push_back("replaced " + std::to_string(srt.replacedControls) +
                               " control character" + (srt.replacedControls == 1 ? "" : "s") +
                               " (U+0080-U+009F, no text in any encoding) with U+FFFD in " + file);
    return readWarnings;
}

// Whether the --video file cannot carry the titles; when so, it says why.
bool videoRefused(const std::string& video) {
    const quelvo::MediaInfo facts = quelvo::probeMedia(video);
    if (!facts.status) {
        printError("video " + video + ": " + facts.status.message());
        return true;
    }
    if (!titles::hasMovingPicture(facts)) {
        printError("video " + video + " has no moving picture to put the titles on");
        return true;
    }
    return false;
}

int runTitles(const TitlesOptions& options) {
    if (const auto usage = usageProblem(options)) {
        printError(*usage);
        return 2;
    }
    const bool captions = options.as == "captions";

    std::optional<TitlesSettings> settings;
    if (options.settings) {
        settings = readSettingsFile(*options.settings);
        if (!settings) return 1;
    }

    // An editor's existing project is never replaced without being asked
    // for, and the subtitles, video or settings never, --force or not.
    const std::string output = options.output.value_or(titles::defaultProjectPath(options.file));
    quelvo::OutputPlan outputs;
    outputs.inputs = {options.file, options.video.value_or(""), options.settings.value_or("")};
    outputs.outputs = {output};
    outputs.replaceExisting = options.force;
    if (const auto refused = quelvo::checkOutputPlan(outputs)) {
        printError(*refused);
        return 1;
    }

    std::string problem;
    const TitlesSettings& chosen = settings ? *settings : TitlesSettings::shared();
    const TitlesSettings reading = titles::readingSettings(
        captions ? titles::CueOutput::captions : titles::CueOutput::titles, chosen);
    const SubtitleFile srt =
        options.encoding
            ? SubtitleFile::fromFileInEncoding(options.file, *options.encoding, reading, &problem)
            : SubtitleFile::fromFileUrl(options.file, reading, &problem);
    if (srt.titles.empty()) {
        printError(options.file + ": no subtitles could be read: " + problem);
        return 1;
    }

    const std::vector<std::string> readWarnings = readWarningsFor(srt, options.file);
    if (options.video && videoRefused(*options.video)) return 1;

    TitlesOutcome outcome = captions ? writeCaptions(options, srt.titles, chosen, output)
                                     : writeTitles(options, srt.titles, settings, output);
    outcome.warnings.insert(outcome.warnings.begin(), readWarnings.begin(), readWarnings.end());
    if (!outcome.status) {
        printError(outcome.status.message());
        return 1;
    }
    // Warnings never stop the export; a script reading --json finds them in
    // "warnings" as well.
    for (const std::string& warning : outcome.warnings)
        printWarning(warning);
    const bool useV19 = captions || chosenVersion(options.format) == quelvo::FcpxmlVersion::v1_9;
    if (options.json) {
        const nlohmann::ordered_json out = {{"output", quelvo::absolutePathOf(output)},
                                            {"format", useV19 ? "1.9" : "1.6"},
                                            {"as", options.as},
                                            {options.as, outcome.count},
                                            {"warnings", outcome.warnings}};
        std::cout << out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    } else if (captions) {
        std::cout << "Wrote " << output << " (FCPXML 1.9, " << outcome.count << " caption"
                  << (outcome.count == 1 ? "" : "s") << ")\n";
    }
    return 0;
}

} // namespace

void registerTitlesCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<TitlesOptions>();
    CLI::App* command = app.add_subcommand(
        "titles", "Turn an SRT, WebVTT or ASS/SSA subtitle file into an FCPXML project of titles "
                  "(each title is printed as it is made) or captions");
    command
        ->add_option(
            "FILE", options->file,
            "SRT, WebVTT or ASS/SSA subtitle file (UTF-8, UTF-16 or a detected 8-bit encoding)")
        ->required();
    command->add_option("--video", options->video,
                        "video the titles belong to; they are attached to its clip");
    command
        ->add_option("--format", options->format, "FCPXML version (default: the stored preference)")
        ->check(CLI::IsMember({"1.9", "1.6"}));
    command->add_option(
        "--event", options->event,
        "event and project name (default: the subtitle file's name; a video's name wins)");
    command->add_option("--output", options->output,
                        "where to write the project (default: FILE with .fcpxml)");
    command->add_option("--settings", options->settings,
                        "title settings JSON file to use instead of the stored settings");
    command->add_option("--encoding", options->encoding,
                        "read FILE in this encoding (UTF-8, UTF-16, WINDOWS-1252, ISO-8859-2, ...) "
                        "instead of guessing");
    command
        ->add_option("--as", options->as,
                     "titles (styled, FCPXML 1.9 or 1.6) or captions (FCPXML 1.9)")
        ->check(CLI::IsMember({"titles", "captions"}));
    command
        ->add_option("--caption-format", options->captionFormat,
                     "caption format: srt (default) or itt")
        ->check(CLI::IsMember({"srt", "itt"}));
    command->add_option("--language", options->language,
                        "the captions' language tag (default: en)");
    using namespace titles::settings;
    command
        ->add_option("--max-cps", options->maxCPS,
                     "reading check: most characters a second (default: stored, 17)")
        ->check(settingValidator(kMaxCPS));
    command
        ->add_option("--max-line-length", options->maxLineLength,
                     "reading check: most characters on a line (default: stored, 42)")
        ->check(settingValidator(kMaxLineLength, true));
    command
        ->add_option("--max-lines", options->maxLines,
                     "reading check: most lines in a cue (default: stored, 2)")
        ->check(settingValidator(kMaxLines, true));
    command
        ->add_option("--min-cue-duration", options->minCueDuration,
                     "reading check: shortest time on screen, seconds (default: stored, 0.83)")
        ->check(settingValidator(kMinCueDuration));
    command->add_flag("--json", options->json,
                      "print a JSON summary (each title then goes to standard error)");
    command->add_flag("--force", options->force, "replace the project file if it already exists");
    command->callback([options, &exitCode] { exitCode = runTitles(*options); });
}

} // namespace quelvo::cli
