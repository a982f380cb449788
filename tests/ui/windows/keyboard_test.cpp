// The main window without a mouse: Tab reaches every control in reading
// order, Return starts the job, and the progress sheet cannot be sent away
// with Escape while its job runs.
#include <future>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/text_field.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/music_role_dialog.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;
using Version = quelvo::FcpxmlVersion;

// Holds the job at the version question until the test lets it go.
class HeldVersionSheet : public quelvo::VersionSheet {
  public:
    void showSheet(std::optional<Version>, Callback callback) override {
        asked = true;
        m_release.get_future().wait();
        callback(Version::v1_9);
    }
    void release() { m_release.set_value(); }
    std::atomic<bool> asked{false};

  private:
    std::promise<void> m_release;
};

class KeyboardTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // As the program starts: the role button works.
        MainWindow::setRoleChooser(&quelvo::ui::MusicRoleDialog::showOver);
    }
    void TearDown() override {
        UiTest::TearDown();
        MainWindow::setRoleChooser(nullptr);
    }

    MainWindow* showActiveMainWindow() {
        MainWindow* vc = showMainWindow();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return vc;
    }
    TempDir dir;
};

TEST_F(KeyboardTest, TabReachesEveryControlOfTheMainWindowInReadingOrder) {
    MainWindow* vc = showActiveMainWindow();
    vc->dialogueArea()->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> expected = {
        vc->dialogueArea(),      vc->musicArea(),        vc->fillerArea(),
        vc->clearFillerButton(), vc->depthSlider(),      vc->decreaseToZeroBox(),
        vc->musicLevelSlider(),  vc->projectNameField(), vc->roleButton(),
        vc->newsButton(),        vc->exportMixButton(),  vc->duckButton()};
    std::vector<QWidget*> reached{QApplication::focusWidget()};
    for (size_t i = 1; i <= expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    ASSERT_TRUE(vc->roleButton()->isEnabled());
    // After Duck the preview's own controls, its drawing among them, then round again.
    bool canvasReached = false;
    for (int i = 0; i < 10 && reached.back() != vc->dialogueArea(); ++i) {
        EXPECT_TRUE(vc->preview()->isAncestorOf(reached.back())) << i;
        canvasReached = canvasReached || reached.back() == vc->preview()->canvas();
        reached.pop_back();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_TRUE(canvasReached);
    std::vector<QWidget*> cycle = expected;
    cycle.push_back(vc->dialogueArea()); // and round again
    EXPECT_EQ(cycle, reached);
}

TEST_F(KeyboardTest, ReturnInTheProjectNameStartsTheJob) {
    MainWindow* vc = showActiveMainWindow();
    vc->projectNameField()->setFocus();
    QTest::keyClicks(vc->projectNameField(), "Episode 4");
    QTest::keyClick(vc->projectNameField(), Qt::Key_Return);
    // Duck was pressed: its first check stops it, as the button would.
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("Speaker File Not Specified.", alerts.shown[0].informativeText);
    // Enter on the keypad, from a slider, does the same.
    vc->depthSlider()->setFocus();
    QTest::keyClick(vc->depthSlider(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(2u, alerts.shown.size());
    // And from a check box, without switching it.
    vc->decreaseToZeroBox()->setFocus();
    QTest::keyClick(vc->decreaseToZeroBox(), Qt::Key_Return);
    EXPECT_EQ(3u, alerts.shown.size());
    EXPECT_FALSE(vc->decreaseToZeroBox()->isChecked());
}

TEST_F(KeyboardTest, ReturnOnAFocusedButtonPressesThatButton) {
    MainWindow* vc = showActiveMainWindow();
    const std::string filler = copyRecording(dir, "music/dev_music_gaps.wav");
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    ASSERT_EQ(filler, vc->fillerPath());
    vc->clearFillerButton()->setFocus();
    QTest::keyClick(vc->clearFillerButton(), Qt::Key_Return);
    EXPECT_EQ("", vc->fillerPath()) << "Return on Clear clears";
    EXPECT_TRUE(alerts.shown.empty()) << "and starts no job";
}

TEST_F(KeyboardTest, ReturnStartsTheJobAndEscapeCannotCancelIt) {
    HeldVersionSheet held;
    quelvo::VersionSheet* previous = quelvo::ui::ProgressDialog::setVersionSheet(&held);
    MainWindow* vc = showActiveMainWindow();
    const std::string talk = copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav");
    const std::string music = copyRecording(dir, "music/dev_music_gaps.wav");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));

    vc->musicLevelSlider()->setFocus();
    QTest::keyClick(vc->musicLevelSlider(), Qt::Key_Return);
    quelvo::ui::ProgressDialog* sheet = openProgressSheet();
    ASSERT_NE(nullptr, sheet) << "Return started the job";
    ASSERT_TRUE(waitUntil([&] { return held.asked.load(); }, 120000));

    // The job waits at the version question: the sheet stands, Escape or not.
    QPointer<QWidget> sheetWindow = sheet->window();
    QTest::keyClick(sheetWindow, Qt::Key_Escape);
    processEvents();
    EXPECT_FALSE(sheetWindow.isNull());
    EXPECT_TRUE(sheetWindow->isVisible()) << "a running job has no cancel";
    closeByWindowManager(sheetWindow);
    processEvents();
    ASSERT_FALSE(sheetWindow.isNull());
    EXPECT_TRUE(sheetWindow->isVisible());

    held.release();
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    EXPECT_EQ(1u, notifications.posted.size());
    quelvo::ui::ProgressDialog::setVersionSheet(previous);
}

} // namespace
} // namespace quelvo::test
