// The main window's keyboard and layout as an editor meets them: Return
// presses Duck from the drop area that has the focus, the folded preview
// gives its height back and a result lengthens the window, the smallest
// window still shows every dB label, a short music file is pointed out, and
// new windows open inside the screen.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "jobs/duck_job.h"
#include "preview/preview_geometry.h"
#include "support/ui_test_support.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preferences_window.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/titles_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;
namespace pv = quelvo::preview;

class WindowLayoutTest : public UiTest {
  protected:
    MainWindow* showActiveMainWindow() {
        MainWindow* vc = showMainWindow();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return vc;
    }
    static QFileDialog* openPicker() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* picker = qobject_cast<QFileDialog*>(w); picker && picker->isVisible())
                return picker;
        return nullptr;
    }
    TempDir dir;
};

TEST_F(WindowLayoutTest, ReturnPressesDuckFromADropAreaAndSpaceOpensItsPicker) {
    MainWindow* vc = showActiveMainWindow();
    vc->dialogueArea()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(vc->dialogueArea(), Qt::Key_Return);
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("Speaker File Not Specified.", alerts.shown[0].informativeText);
    EXPECT_EQ(nullptr, openPicker());

    ASSERT_TRUE(
        dropFiles(vc->dialogueArea(), {QString::fromStdString(copyRecording(dir, kDialogue))}));
    vc->musicArea()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(vc->musicArea(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(2u, alerts.shown.size());
    EXPECT_EQ("Music File Not Specified.", alerts.shown[1].informativeText)
        << "the filler is optional";

    QTest::keyClick(vc->musicArea(), Qt::Key_Space);
    QFileDialog* picker = openPicker();
    ASSERT_NE(nullptr, picker);
    picker->reject();
    EXPECT_EQ(2u, alerts.shown.size());
}

TEST_F(WindowLayoutTest, TheFoldedPreviewGivesItsHeightBackAndAResultLengthensTheWindow) {
    MainWindow* vc = showMainWindow();
    window->resize(window->width(), window->minimumSizeHint().height() + 120);
    processEvents();
    const int tall = window->height();
    const int picture = vc->preview()->canvas()->parentWidget()->height();

    vc->preview()->setExpanded(false);
    processEvents();
    EXPECT_LE(window->height(), tall - picture);
    // No empty band around the fold: the panel is its header's height.
    EXPECT_LE(vc->preview()->height(), vc->preview()->sizeHint().height());
    vc->preview()->setExpanded(true);
    processEvents();
    EXPECT_EQ(tall, window->height());

    const int canvasHeight = vc->preview()->canvas()->height();
    DuckOutcome outcome;
    outcome.success = true;
    outcome.format = quelvo::ProjectFormat::fcpxml19;
    vc->resultPanel()->showOutcome(outcome, (dir / "talk.fcpxml").string());
    processEvents();
    EXPECT_GT(window->height(), tall);
    EXPECT_EQ(canvasHeight, vc->preview()->canvas()->height()) << "the preview keeps its height";

    // At the smallest size every dB label shows, none on another.
    window->resize(window->minimumSizeHint());
    processEvents();
    const pv::PreviewPicture pic = pv::layoutPreview({}, vc->preview()->canvas()->viewport());
    ASSERT_EQ(4u, pic.dbGrid.size());
    for (size_t i = 1; i < pic.dbGrid.size(); ++i) {
        const pv::Box& above = pic.dbGrid[i - 1].label.plate;
        EXPECT_LE(above.y + above.h, pic.dbGrid[i].label.plate.y);
    }
}

TEST_F(WindowLayoutTest, AMusicShorterThanTheDialogueGetsANote) {
    MainWindow* vc = showMainWindow();
    auto* note = vc->findChild<QLabel*>("musicShorterNote");
    ASSERT_NE(nullptr, note);
    // The 32 s recording as the dialogue, the 15.88 s one as the music.
    ASSERT_TRUE(dropFiles(vc->dialogueArea(),
                          {QString::fromStdString(copyRecording(dir, kMusic, "long.wav"))}));
    ASSERT_TRUE(dropFiles(vc->musicArea(),
                          {QString::fromStdString(copyRecording(dir, kDialogue, "short.wav"))}));
    ASSERT_TRUE(waitUntil([vc] { return !vc->musicDuration()->text().isEmpty(); }));
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ("The music is 00:00:16.120 shorter than the dialogue.", note->text().toStdString());
    // The duration labels keep their own format.
    EXPECT_EQ("Music File Duration: 00:00:15.880", vc->musicDuration()->text().toStdString());

    ASSERT_TRUE(dropFiles(vc->musicArea(),
                          {QString::fromStdString(copyRecording(dir, kMusic, "bed.wav"))}));
    ASSERT_TRUE(waitUntil([vc] { return vc->musicDuration()->text().endsWith("00:00:32.000"); }));
    EXPECT_FALSE(note->isVisible());
}

TEST_F(WindowLayoutTest, NewWindowsOpenInsideTheScreenEachBelowTheLast) {
    quelvo::ui::DesktopApp delegate;
    quelvo::ui::MainWindow* main = delegate.launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    const QRect area = main->screen()->availableGeometry();
    std::vector<QWidget*> opened{main};
    for (int i = 0; i < 3; ++i) {
        delegate.newTitlesAction()->trigger();
        opened.push_back(delegate.titlesWindows().last());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(opened.back()));
    }
    delegate.preferencesAction()->trigger();
    opened.push_back(delegate.preferences()->window());
    for (QWidget* w : opened) {
        const QRect frame = w->frameGeometry();
        // Inside the area, unless the window's smallest size is larger.
        if (w->minimumHeight() <= area.height()) {
            EXPECT_GE(frame.top(), area.top()) << w->windowTitle().toStdString();
            EXPECT_LE(frame.bottom(), area.bottom()) << w->windowTitle().toStdString();
        }
        if (w->minimumWidth() <= area.width()) {
            EXPECT_GE(frame.left(), area.left());
            EXPECT_LE(frame.right(), area.right());
        }
    }
    // Each titles window cascades from the one before, or starts again at
    // the area's edge (a window as wide as the screen stays at its left).
    for (size_t i = 2; i < 4; ++i) {
        const QPoint at = opened[i]->pos(), step = at - opened[i - 1]->pos();
        EXPECT_TRUE(step.y() > 0 || at.y() == area.top()) << i;
        EXPECT_TRUE(step.x() == step.y() || at.x() == area.left() || at.y() == area.top()) << i;
        EXPECT_NE(opened[i - 1]->pos(), at) << i;
    }
}

} // namespace
} // namespace quelvo::test
