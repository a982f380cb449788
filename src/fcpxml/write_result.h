#pragma once
// What a project writer did, so the ducking job can report it. A failed write
// is a value here, never lost: the job shows it and the command line exits
// non-zero.
#include <functional>
#include <string>

#include "platform/movie/fcp_handoff.h"
#include "platform/toolkit/result.h"

namespace quelvo {

struct FCPXMLWriteResult {
    kykit::Status status = kykit::Status::success();
    std::string document;    // the whole text, also when it was not written
    std::string outputPath;  // the file written; "" when none was
    bool sentToFCP = false;  // scheduled for the hand-over instead of written
    int keyframes = 0;       // music volume keyframes in the document
    int fillerClips = 0;
};

// Told how a delayed hand-over to Final Cut Pro went (and where its copy is);
// runs on the toolkit's queue thread, after the writer has returned.
using HandOverReport = std::function<void(const kymovie::KyFCPXML::HandOverResult&)>;

} // namespace quelvo
