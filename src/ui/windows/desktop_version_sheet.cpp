#include "ui/windows/desktop_version_sheet.h"

#include <future>
#include <memory>

#include "platform/movie/fcp106_prefs.h"
#include "ui/kit/ky_windows.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/fcp106_export_options_vc.h"

namespace kyui {

namespace {

void present(KyViewController* presenter, kymovie::FCP106ExportOptionsVC::Version preselect,
             kymovie::FCP106ExportOptionsVC::Callback answer) {
    KyViewController* made = KyWindows::sheet(
        FCP106ExportOptionsVC::kSceneId, FCP106ExportOptionsVC::kStoryboard, nullptr, presenter, true,
        [&](KyViewController* controller) {
            if (auto* sheet = qobject_cast<FCP106ExportOptionsVC*>(controller)) {
                sheet->setSelected(preselect);
                sheet->onChoice = answer;
            }
        });
    if (!made) answer(preselect); // never leave the caller waiting
}

} // namespace

DesktopVersionSheet& DesktopVersionSheet::shared() {
    static DesktopVersionSheet sheet;
    return sheet;
}

void DesktopVersionSheet::showSheet(void* currentController, std::optional<Version> defaultSelected,
                                    Callback callback) {
    auto& prefs = kymovie::KyFCP106Prefs::shared();
    if (prefs.rememberMyChoice()) {
        if (const auto remembered = prefs.rememberedChoice()) {
            callback(*remembered);
            return;
        }
    }
    const Version preselect =
        defaultSelected.value_or(prefs.preferFCP106() ? Version::fcp106 : Version::olderVersions);
    auto* presenter = static_cast<KyViewController*>(currentController);

    if (isMainThread()) {
        present(presenter, preselect, std::move(callback));
        return;
    }
    // From a worker: ask on the GUI thread, wait here for the answer, and run
    // the callback on this thread so the writer never blocks the windows.
    auto answer = std::make_shared<std::promise<Version>>();
    std::future<Version> chosen = answer->get_future();
    runOnMain([presenter, preselect, answer] {
        present(presenter, preselect, [answer](Version v) { answer->set_value(v); });
    });
    callback(chosen.get());
}

} // namespace kyui
