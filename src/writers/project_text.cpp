#include "writers/project_text.h"

#include "writers/fcpxml_writers.h"

namespace quelvo {

ProjectText projectText(const ProjectDescription& project, ProjectFormat format) {
    ProjectText out;
    switch (format) {
    case ProjectFormat::fcpxml19:
        out.text = writeFcpxml19(project);
        return out;
    case ProjectFormat::fcpxml16:
        out.text = writeFcpxml16(project);
        return out;
    case ProjectFormat::xmeml:
    case ProjectFormat::mlt:
    case ProjectFormat::kdenlive:
        break;
    }
    out.status = kykit::Status::failure("projects for " + std::string(formatOption(format)) +
                                        " are not available in this build");
    return out;
}

} // namespace quelvo
