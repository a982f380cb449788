#include "writers/project_text.h"

#include "writers/fcpxml_writers.h"
#include "writers/mlt_writer.h"
#include "writers/xmeml_writer.h"

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
        out.text = writeXmeml(project);
        return out;
    case ProjectFormat::mlt:
        out.text = writeMlt(project);
        return out;
    }
    out.status = Status::failure("projects for " + std::string(formatOption(format)) +
                                 " are not available in this build");
    return out;
}

} // namespace quelvo
