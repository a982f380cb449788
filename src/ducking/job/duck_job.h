#pragma once
// The ducking job: from three file paths and the level settings to a written
// FCPXML project (or one handed to Final Cut Pro). It runs synchronously on a
// worker thread and returns only after the chosen writer has finished.
#include <string>

#include "ducking/qv_roll.h"
#include "platform/movie/version_sheet.h"
#include "platform/toolkit/services.h"

namespace quelvo {

// What a job did. A job that could not read its dialogue or music, or could
// not write its output, fails with one short sentence naming the file and the
// reason, and leaves nothing on disk.
struct DuckOutcome {
    bool success = false;
    std::string message;     // the failure sentence; empty on success
    std::string outputPath;  // the project written, or "" when sent or not written
    bool sentToFCP = false;  // handed to Final Cut Pro instead of written
    std::string format;      // "1.9" or "1.6"
    int clusters = 0;        // speech clusters after gap closing
    int keyframes = 0;
    int fillerClips = 0;
};

DuckOutcome duckAudioFiles(const std::string& speakerPath, const std::string& musicPath,
                           const std::string& fillerPath, int duckingDecrease,
                           int overallMusicLevel, bool decreaseToZero,
                           const std::string& eventName, const std::string& projectName,
                           QVRoll rolls, kykit::StatusSink* statusLabel,
                           kymovie::FCP106ExportOptionsVC& versionSheet,
                           void* presentingController);

} // namespace quelvo
