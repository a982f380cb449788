// Pictures of the windows as a user sees them, for looking at by eye: run
// tests/ui/take_screenshots.sh, which starts this under a virtual X display.
// Without QUELVO_SCREENSHOT_DIR the test skips.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/app/app_delegate.h"
#include "ui/kit/ky_about_view.h"
#include "ui/kit/ky_drag_area.h"
#include "ui/kit/ky_text_field.h"
#include "ui/kit/ky_windows.h"
#include "ui/windows/desktop_version_sheet.h"
#include "ui/windows/fcp106_export_options_vc.h"
#include "ui/windows/progress_vc.h"
#include "ui/windows/quelvo_main_vc.h"
#include "ui/windows/quelvo_prefs_vc.h"
#include "ui/windows/qv_second_file_role_vc.h"
#include "ui_test_support.h"

namespace quelvo::test {
namespace {

using kyui::QuelvoMainVC;

class Screenshots : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_dir = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
        if (m_dir.isEmpty()) GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_screenshots.sh)";
        QUELVO_REQUIRE_SHARED();
        QDir().mkpath(m_dir);
    }
    void TearDown() override {
        delegate.reset();
        QuelvoMainVC::setRoleChooser(nullptr);
        UiTest::TearDown();
    }

    // The whole screen, once everything posted so far has been drawn.
    void shoot(const QString& name) {
        for (int i = 0; i < 5; ++i) {
            processEvents();
            QTest::qWait(100);
        }
        const QString path = m_dir + "/" + name + ".png";
        EXPECT_EQ(0, QProcess::execute("import", {"-window", "root", path})) << path.toStdString();
    }

    std::unique_ptr<kyui::AppDelegate> delegate;

private:
    QString m_dir;
};

TEST_F(Screenshots, TheMainWindowAndItsPanels) {
    delegate = std::make_unique<kyui::AppDelegate>();
    kyui::KyWindow* w = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->move(40, 40);
    auto* vc = qobject_cast<QuelvoMainVC*>(w->controller());
    ASSERT_TRUE(waitUntil([vc] { return vc->timer.isActive(); }));

    const QString data = QString::fromStdString((sharedDir() / "testdata").string());
    ASSERT_TRUE(dropFiles(vc->drgSpeaker, {data + "/dialogue/dev01_clean_wav48k_stereo.wav"}));
    ASSERT_TRUE(dropFiles(vc->drgMusic, {data + "/music/dev_music_real.mp3"}));
    ASSERT_TRUE(dropFiles(vc->drgFiller, {data + "/music/dev_music_gaps.wav"}));
    ASSERT_TRUE(waitUntil([vc] {
        return !vc->lblDialogueDuration->text().isEmpty() && !vc->lblMusicDuration->text().isEmpty() &&
               !vc->lblFillerDuration->text().isEmpty();
    }));
    shoot("main_window");

    delegate->mnuPreferencesSelected();
    ASSERT_NE(nullptr, delegate->preferences());
    QWidget* prefs = delegate->preferences()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(prefs));
    prefs->move(w->geometry().right() + 40, 40);
    shoot("preferences");
    // The automatic detection chosen: the threshold slider is greyed out.
    if (auto* prefsVC = qobject_cast<kyui::QuelvoPrefsVC*>(delegate->preferences())) {
        prefsVC->rdoAutomaticDetection->click();
        shoot("preferences_automatic");
        prefsVC->rdoFixedThreshold->click();
    }
    prefs->close();

    vc->btnRole->click();
    kyui::QVSecondFileRoleVC* chooser = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* tl : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<kyui::KySheetWindow*>(tl); s && s->isVisible())
                chooser = qobject_cast<kyui::QVSecondFileRoleVC*>(s->controller());
        return chooser != nullptr;
    }));
    chooser->radCustom->click();
    QTest::keyClicks(chooser->fldCustom, "sound effects");
    shoot("role_chooser");
    chooser->btnOk->click();
    shoot("main_window_after_role");

    delegate->mnuAboutSelected();
    ASSERT_NE(nullptr, delegate->aboutPanel());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate->aboutPanel()));
    delegate->aboutPanel()->move(w->geometry().right() + 40, 40);
    shoot("about");
    delegate->aboutPanel()->close();

    // A job on copies (the project is written next to the dialogue), caught
    // while the progress sheet waits for the version question.
    TempDir dir;
    ASSERT_TRUE(dropFiles(vc->drgSpeaker, {QString::fromStdString(
                                              copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav"))}));
    ASSERT_TRUE(dropFiles(vc->drgMusic, {QString::fromStdString(copyRecording(dir, "music/dev_music_real.mp3"))}));
    ASSERT_TRUE(dropFiles(vc->drgFiller, {QString::fromStdString(copyRecording(dir, "music/dev_music_gaps.wav"))}));
    kyui::ProgressVC::setVersionSheet(&kyui::DesktopVersionSheet::shared());
    vc->btnDuck->click();
    kyui::FCP106ExportOptionsVC* question = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        question = w->findChild<kyui::FCP106ExportOptionsVC*>();
        return question && question->isVisible();
    }, 120000)) << "the version sheet never showed";
    shoot("progress_and_version_sheet");
    question->btnContinue->click();
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000)) << "the job never ended";
    kyui::ProgressVC::setVersionSheet(&versionSheet);
    EXPECT_TRUE(fs::exists(dir / "interview.fcpxml"));
}

} // namespace
} // namespace quelvo::test
