// Stand-in until the job lands.
#include "ducking/job/duck_job.h"

namespace quelvo {

DuckOutcome duckAudioFiles(const std::string&, const std::string&, const std::string&, int, int,
                           bool, const std::string&, const std::string&, QVRoll,
                           kykit::StatusSink*, kymovie::FCP106ExportOptionsVC&, void*) {
    DuckOutcome outcome;
    outcome.message = "the ducking job is not available yet";
    return outcome;
}

} // namespace quelvo
