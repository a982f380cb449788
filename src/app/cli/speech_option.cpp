#include "app/cli/speech_option.h"

#include <algorithm>
#include <cmath>

#include "app/cli/commands.h"
#include "app/cli/duck_options.h"
#include "media/audio_file.h"
#include "speech/speech_labels.h"

namespace quelvo::cli {

void addSpeechOption(CLI::App* command, DuckOptions& options) {
    command->add_option(
        "--speech", options.speech,
        "Use the speech intervals of this label file (start<TAB>end<TAB>text a line, as analyze "
        "--labels writes) as they are, instead of detecting");
}

SpeechChoice speechFrom(const DuckOptions& options, double dialogueSeconds) {
    SpeechChoice choice;
    if (!options.speech) return choice;
    // Given intervals leave nothing to detect: a detection option beside
    // them would silently do nothing, which hides a mistake in a script.
    if (options.detect || options.threshold) {
        choice.usageError =
            "--speech gives the speech itself; it cannot be used with --detect or --threshold";
        return choice;
    }
    LabelReading read = readLabelFile(*options.speech, dialogueSeconds);
    if (!read.status) {
        choice.failure = read.status.message();
        return choice;
    }
    choice.intervals = std::move(read.intervals);
    choice.warnings = std::move(read.warnings);
    return choice;
}

double dialogueSecondsOf(const std::string& dialoguePath) {
    const quelvo::AudioFileInfo info = quelvo::probeAudioFile(dialoguePath);
    return info.status && std::isfinite(info.duration) && info.duration > 0 ? info.duration : 0.0;
}

int readSpeechOption(const DuckOptions& options, std::optional<quelvo::ClusterList>& speech) {
    // Several microphones start together: the speech may span the longest.
    double seconds = 0;
    if (options.speech)
        for (const std::string& path : options.dialogue)
            seconds = std::max(seconds, dialogueSecondsOf(path));
    const SpeechChoice choice = speechFrom(options, seconds);
    if (choice.usageError) {
        printError(*choice.usageError);
        return 2;
    }
    if (choice.failure) {
        printError(*choice.failure);
        return 1;
    }
    for (const std::string& warning : choice.warnings)
        printWarning(warning);
    speech = choice.intervals;
    return 0;
}

} // namespace quelvo::cli
