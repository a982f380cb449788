#pragma once
// The job as the tests call it: paths, rolls and a version sheet, with the
// options they vary, turned into the request and context the job takes.
#include <functional>
#include <optional>
#include <string>

#include "jobs/duck_job.h"
#include "project/version_sheet_question.h"

namespace quelvo::test {

// The envelope timing most job tests duck with.
inline const EnvelopeTiming kEnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24};

struct JobOptions {
    std::string outputPath;
    HandOverReport onHandOver;
    bool analysisOnly = false;
    std::optional<double> underLU;
    bool measureLoudness = false;
    std::function<bool(const std::string&)> onNoSpeech;
    quelvo::Parallelism parallelism;
    CancelToken cancel;
    std::optional<quelvo::ClusterList> speech;
};

inline DuckRequest jobRequest(const std::string& dialogue, const std::string& music,
                              const std::string& filler, const EnvelopeTiming& rolls,
                              const JobOptions& options = {}) {
    DuckRequest request;
    request.inputs = {{dialogue}, music, filler};
    request.rolls = rolls;
    request.depth.underLU = options.underLU;
    request.eventName = "talk_duck_event";
    request.projectName = "talk_duck_project";
    request.output.path = options.outputPath;
    request.output.replaceAllowed = true;
    request.measureLoudness = options.measureLoudness;
    request.parallelism = options.parallelism;
    request.speech = options.speech;
    return request;
}

inline DuckOutcome runJob(const std::string& dialogue, const std::string& music,
                          const std::string& filler, const EnvelopeTiming& rolls,
                          quelvo::StatusSink* status, quelvo::VersionSheet& sheet,
                          const JobOptions& options = {}) {
    const DuckRequest request = jobRequest(dialogue, music, filler, rolls, options);
    DuckJobContext context;
    context.status = status;
    context.cancel = options.cancel;
    context.onHandOver = options.onHandOver;
    context.onNoSpeech = options.onNoSpeech;
    if (options.analysisOnly) return describeDuck(request, context);
    VersionSheetQuestion question(sheet);
    return duckAudioFiles(request, question, context);
}

} // namespace quelvo::test
