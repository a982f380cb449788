#include "writers/fcpxml_writers.h"

#include "writers/ducking_fcpxml.h"
#include "writers/legacy_document.h"
#include "writers/project_writer.h"

namespace quelvo {

std::string writeFcpxml19(const ProjectDescription& project) {
    return applyTextualFixes(DuckingFcpxml(project).makeDocument());
}

std::string writeFcpxml16(const ProjectDescription& project) {
    return legacyDocument(project);
}

} // namespace quelvo
