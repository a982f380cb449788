#pragma once
// The version sheet for jobs that still ask the two-version question: the
// desktop editor question (desktop_format_question.h) with the Final Cut Pro
// versions alone to choose from, the other editors shown greyed. It goes once
// every job asks quelvo::FormatQuestion.
#include "project/version_sheet.h"

namespace kyui {

class DesktopVersionSheet : public kymovie::FCP106ExportOptionsVC {
public:
    static DesktopVersionSheet& shared();
    // currentController: the KyViewController the sheet attaches to, or null.
    void showSheet(void* currentController, std::optional<Version> defaultSelected,
                   Callback callback) override;
};

} // namespace kyui
