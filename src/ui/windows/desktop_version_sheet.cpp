#include "ui/windows/desktop_version_sheet.h"

#include <algorithm>
#include <future>
#include <memory>

#include <QScreen>
#include <QWidget>

#include "platform/movie/fcp106_prefs.h"
#include "ui/kit/ky_windows.h"
#include "ui/kit/main_thread.h"
#include "ui/windows/fcp106_export_options_vc.h"

namespace kyui {

namespace {

// The question is asked while the progress sheet shows the job's stage: it
// goes beside that sheet (below, else above, else to a side), never over
// it, so the status line stays readable while the user decides. Where no
// side has room it stays where the platform put it.
void keepUncovered(QWidget* question, QWidget* progress) {
    if (!question || !progress || !progress->isVisible() || question->windowFlags().testFlag(Qt::Sheet)) return;
    QScreen* screen = progress->screen();
    if (!screen) return;
    question->adjustSize();
    const QRect avail = screen->availableGeometry();
    const QRect under = progress->frameGeometry();
    // The question has no frame yet: its title bar is as tall as the progress sheet's.
    const int decoration = std::max(0, under.height() - progress->geometry().height());
    const QSize size = question->size() + QSize(0, decoration);
    const int gap = question->fontMetrics().height() / 2;
    const auto fits = [&](const QPoint& at) { return avail.contains(QRect(at, size)); };
    const int centredX = std::clamp(under.center().x() - size.width() / 2, avail.left(),
                                    std::max(avail.left(), avail.right() - size.width()));
    const int centredY = std::clamp(under.center().y() - size.height() / 2, avail.top(),
                                    std::max(avail.top(), avail.bottom() - size.height()));
    for (const QPoint at : {QPoint(centredX, under.bottom() + gap), QPoint(centredX, under.top() - gap - size.height()),
                            QPoint(under.right() + gap, centredY), QPoint(under.left() - gap - size.width(), centredY)}) {
        if (fits(at)) {
            question->move(at);
            return;
        }
    }
}

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
    if (!made) {
        answer(preselect); // never leave the caller waiting
        return;
    }
    if (presenter) keepUncovered(made->window(), presenter->window());
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
