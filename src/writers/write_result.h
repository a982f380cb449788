#pragma once
// How a delayed hand-over to Final Cut Pro went, told to whoever asked for it.
#include <functional>

#include "writers/fcp_handoff.h"

namespace quelvo {

// Told how a delayed hand-over to Final Cut Pro went (and where its copy is);
// runs on the toolkit's queue thread, after the job has returned.
using HandOverReport = std::function<void(const fcpHandoff::HandOverResult&)>;

} // namespace quelvo
