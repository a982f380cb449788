#pragma once
// The version sheet of the desktop program. The job asks from its worker
// thread: the question hops to the GUI thread, shows as a window-modal sheet
// on the presenting controller, and the answer comes back to the asking
// thread, where the callback (the project writer) runs. Asked on the GUI
// thread, the sheet shows and the callback runs there when the user answers.
//
// With "remember my choice" on and a remembered choice, it answers at once
// without showing. Otherwise the given default is preselected, else the
// 10.6 form when the preferences prefer it.
#include "platform/movie/version_sheet.h"

namespace kyui {

class DesktopVersionSheet : public kymovie::FCP106ExportOptionsVC {
public:
    static DesktopVersionSheet& shared();
    // currentController: the KyViewController the sheet attaches to, or null.
    void showSheet(void* currentController, std::optional<Version> defaultSelected,
                   Callback callback) override;
};

} // namespace kyui
