#include "ui/windows/desktop_version_sheet.h"

#include "ui/kit/ky_view_controller.h"
#include "ui/windows/desktop_format_question.h"

namespace kyui {

using quelvo::ProjectFormat;

DesktopVersionSheet& DesktopVersionSheet::shared() {
    static DesktopVersionSheet sheet;
    return sheet;
}

void DesktopVersionSheet::showSheet(void* currentController, std::optional<Version> defaultSelected,
                                    Callback callback) {
    std::optional<ProjectFormat> preselect;
    if (defaultSelected == Version::fcp106) preselect = ProjectFormat::fcpxml19;
    if (defaultSelected == Version::olderVersions) preselect = ProjectFormat::fcpxml16;
    DesktopFormatQuestion question(static_cast<KyViewController*>(currentController),
                                   {ProjectFormat::fcpxml19, ProjectFormat::fcpxml16});
    question.ask(
        preselect, [callback = std::move(callback)](quelvo::FormatQuestion::Answer answer) {
            if (!answer) return callback(Version::cancelled);
            callback(*answer == ProjectFormat::fcpxml16 ? Version::olderVersions : Version::fcp106);
        });
}

} // namespace kyui
