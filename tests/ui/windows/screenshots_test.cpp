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

#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/about_dialog.h"
#include "ui/kit/alert.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/kit/text_window.h"
#include "ui/kit/window_title.h"
#include "ui/windows/desktop_format_question.h"
#include "ui/windows/dialogue_file_rows.h"
#include "ui/windows/editor_choice_dialog.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/music_role_dialog.h"
#include "ui/windows/preferences_window.h"
#include "ui/windows/preview_analysis.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_microphones.h"
#include "ui/windows/preview_panel.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;

class Screenshots : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_dir = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
        if (m_dir.isEmpty())
            GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_screenshots.sh)";
        QUELVO_REQUIRE_SHARED();
        QDir().mkpath(m_dir);
    }
    void TearDown() override {
        delegate.reset();
        MainWindow::setRoleChooser(nullptr);
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

    // Shoots the real alert that `trigger` opens, with its Details open
    // when asked, then answers it with its first button.
    void shootAlert(const QString& name, const std::function<void()>& trigger,
                    bool openDetails = false) {
        bool shot = false;
        // Polled: the alert may come only after a job has run.
        QTimer poll;
        poll.setInterval(200);
        QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (shot || !box || box->objectName() != "Alert") return;
            poll.stop();
            if (openDetails)
                if (auto* d = box->findChild<QToolButton*>("alertDetailsButton")) d->click();
            shoot(name);
            shot = true;
            box->findChildren<QPushButton*>().front()->click();
        });
        poll.start();
        trigger();
        EXPECT_TRUE(waitUntil([&] { return shot; }, 60000)) << name.toStdString();
    }

    std::unique_ptr<quelvo::ui::DesktopApp> delegate;

  private:
    QString m_dir;
};

TEST_F(Screenshots, TheMainWindowAndItsPanels) {
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* w = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->move(40, 40);
    auto* vc = w;
    ASSERT_TRUE(waitUntil([vc] { return vc->fileWatch().isActive(); }));

    const QString data = QString::fromStdString((sharedDir() / "testdata").string());
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {data + "/dialogue/dev01_clean_wav48k_stereo.wav"}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {data + "/music/dev_music_real.mp3"}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {data + "/music/dev_music_gaps.wav"}));
    ASSERT_TRUE(waitUntil([vc] {
        return !vc->dialogueDuration()->text().isEmpty() &&
               !vc->musicDuration()->text().isEmpty() && !vc->fillerDuration()->text().isEmpty();
    }));
    shoot("main_window");

    delegate->showPreferences();
    ASSERT_NE(nullptr, delegate->preferences());
    QWidget* prefs = delegate->preferences();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(prefs));
    prefs->move(w->geometry().right() + 40, 40);
    shoot("preferences");
    // The automatic detection chosen: the threshold slider is greyed out.
    child<QRadioButton>(prefs, "automaticDetection")->click();
    shoot("preferences_automatic");
    child<QRadioButton>(prefs, "fixedThreshold")->click();
    prefs->close();

    vc->roleButton()->click();
    quelvo::ui::MusicRoleDialog* chooser = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* tl : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<quelvo::ui::MusicRoleDialog*>(tl); s && s->isVisible())
                chooser = s;
        return chooser != nullptr;
    }));
    child<QRadioButton>(chooser, "custom")->click();
    QTest::keyClicks(child<QWidget>(chooser, "customName"), "sound effects");
    shoot("role_chooser");
    child<QPushButton>(chooser, "ok")->click();
    shoot("main_window_after_role");

    delegate->showAbout();
    ASSERT_NE(nullptr, delegate->aboutPanel());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate->aboutPanel()));
    delegate->aboutPanel()->move(w->geometry().right() + 40, 40);
    shoot("about");
    delegate->aboutPanel()->close();

    // A job on copies (the project is written next to the dialogue), caught
    // while the progress sheet waits for the version question.
    TempDir dir;
    vc->clearDialogueFiles();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(),
                          {QString::fromStdString(copyRecording(
                              dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav"))}));
    ASSERT_TRUE(dropFiles(
        vc->musicArea(), {QString::fromStdString(copyRecording(dir, "music/dev_music_real.mp3"))}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(
                                                copyRecording(dir, "music/dev_music_gaps.wav"))}));
    quelvo::ui::ProgressDialog::setVersionSheet(nullptr);
    vc->duckButton()->click();
    quelvo::ui::EditorChoiceDialog* question = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] {
            question = w->findChild<quelvo::ui::EditorChoiceDialog*>();
            return question && question->isVisible();
        },
        120000))
        << "the version sheet never showed";
    shoot("progress_and_version_sheet");
    child<QPushButton>(question, "continue")->click();
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000))
        << "the job never ended";
    quelvo::ui::ProgressDialog::setVersionSheet(&versionSheet);
    EXPECT_TRUE(fs::exists(dir / "interview.fcpxml"));
}

// The editor question over the main window, every editor open to choice,
// Shotcut reached with the arrow keys and "Remember my choice" ticked, with
// the note that sending without a file is Final Cut Pro's alone.
TEST_F(Screenshots, TheEditorQuestion) {
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* w = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->move(40, 40);
    std::optional<ProjectFormat> answer;
    quelvo::ui::DesktopFormatQuestion(w).ask(std::nullopt, [&](auto chosen) { answer = chosen; });
    quelvo::ui::EditorChoiceDialog* question = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        question = w->findChild<quelvo::ui::EditorChoiceDialog*>();
        return question && question->isVisible();
    }));
    ASSERT_TRUE(waitUntil([question] {
        question->window()->activateWindow();
        return QApplication::activeWindow() == question->window();
    }));
    question->choiceButton(ProjectFormat::fcpxml19)->setFocus(Qt::ActiveWindowFocusReason);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(question->choiceButton(ProjectFormat::mlt)->isChecked());
    child<QAbstractButton>(question, "rememberMyChoice")
        ->setChecked(true); // shown ticked, not stored
    shoot("editor_question");
    child<QPushButton>(question, "cancel")->click();
    EXPECT_TRUE(
        waitUntil([&] { return w->findChild<quelvo::ui::EditorChoiceDialog*>() == nullptr; }));
    EXPECT_EQ(std::nullopt, answer);
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
}

TEST_F(Screenshots, TheResultTheAlertsAnUnreadableFileAndHelp) {
    TempDir dir;
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    setenv("QUELVO_FILE_OPENER", "true", 1);
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* w = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->move(40, 40);
    auto* vc = w;
    ASSERT_TRUE(waitUntil([vc] { return vc->fileWatch().isActive(); }));

    // A text file named .mp3 and a WAV cut in half.
    const std::string notes = (dir / "notes.mp3").string();
    writeFile(notes, "these are my notes, not a song\n");
    const std::string cut = copyRecording(dir, "music/dev_music_gaps.wav", "filler_cut.wav");
    fs::resize_file(cut, fs::file_size(cut) / 2);
    const std::string talk =
        copyRecording(dir, "dialogue/dev01_clean_wav48k_stereo.wav", "interview.wav");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(notes)}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(cut)}));
    ASSERT_TRUE(
        waitUntil([vc] { return !vc->musicProblem().empty() && !vc->fillerProblem().empty(); }));
    shoot("unreadable_files");

    // The real alerts from here on.
    quelvo::ui::Alert::setService(nullptr);
    shootAlert("alert_unreadable", [vc] { vc->duckButton()->click(); });
    shootAlert(
        "alert_unreadable_details", [vc] { vc->duckButton()->click(); }, true);
    shootAlert("alert_not_specified",
               [vc] { quelvo::ui::Alert::ok("Warning", "Speaker File Not Specified.", vc); });

    const std::string music = copyRecording(dir, "music/dev_music_real.mp3", "bed.mp3");
    const std::string filler = copyRecording(dir, "music/dev_music_gaps.wav", "filler.wav");
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    ASSERT_TRUE(waitUntil(
        [vc] { return !vc->fillerDuration()->text().isEmpty() && vc->fillerProblem().empty(); }));
    fs::rename(filler, dir / "away.wav");
    ASSERT_TRUE(waitUntil([vc] { return vc->fillerMarker()->isVisible(); }));
    shootAlert("alert_filler_missing", [vc] { vc->duckButton()->click(); });
    fs::rename(dir / "away.wav", filler);

    // A good job leaves its result in the window.
    vc->duckButton()->click();
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    ASSERT_TRUE(vc->resultPanel()->isVisible());
    shoot("result_after_job");

    // A hand-over that fails: one warning that offers the copy.
    const std::string fcp = (dir / "fcp.sh").string();
    writeFile(fcp, "#!/bin/sh\nexit 3\n");
    fs::permissions(fcp, fs::perms::owner_all);
    setenv("QUELVO_FCP_OPENER", fcp.c_str(), 1);
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    shootAlert("alert_handover_failed", [vc] {
        vc->duckButton()->click();
        waitUntil([] { return openProgressSheet() == nullptr; }, 120000);
    });
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
    unsetenv("QUELVO_FCP_OPENER");

    delegate->showHelp();
    ASSERT_NE(nullptr, delegate->helpWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate->helpWindow()));
    // Beside the main window where the screen has room, else over it.
    QWidget* help = delegate->helpWindow();
    const QRect screen = help->screen()->availableGeometry();
    help->move(std::max(screen.left(),
                        std::min(w->geometry().right() + 40, screen.right() - help->width() - 20)),
               40);
    shoot("help");
    delegate->helpWindow()->close();
    unsetenv("QUELVO_FILE_OPENER");
    unsetenv("XDG_CACHE_HOME");
}

// The dialogue area holding an interview video (its poster frame, frame rate
// and size in its row), then three microphones: a lane each in the preview
// under the row of their union.
TEST_F(Screenshots, TheDialogueAreaWithAVideoAndThreeMicrophones) {
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* w = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->move(40, 40);
    w->resize(w->width(), std::max(w->height(), 1000));
    auto* vc = w;
    ASSERT_TRUE(waitUntil([vc] { return vc->fileWatch().isActive(); }));

    TempDir dir;
    const std::string data = (sharedDir() / "testdata").string();
    const std::string clip = (dir / "Interview A-cam.mp4").string();
    const auto made = runProgram(
        {fs::exists("/usr/bin/ffmpeg") ? "/usr/bin/ffmpeg" : "/opt/homebrew/bin/ffmpeg", "-v",
         "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=25:d=16", "-i",
         data + "/dialogue/dev01_clean_wav48k_stereo.wav", "-c:v", "mpeg4", "-q:v", "5", "-c:a",
         "aac", "-shortest", clip});
    ASSERT_EQ(0, made.exitCode) << made.err;
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(clip)}));
    ASSERT_TRUE(
        dropFiles(vc->musicArea(), {QString::fromStdString(data + "/music/dev_music_real.mp3")}));
    ASSERT_TRUE(waitUntil([vc] {
        return vc->dialogueRows()->count() == 1 &&
               !vc->dialogueRows()->posterLabel(0)->isHidden() && vc->preview()->model() &&
               !vc->preview()->analysis()->isRunning();
    }));
    shoot("dialogue_video");

    vc->clearDialogueFiles();
    QStringList mics;
    for (const char* name :
         {"dev08_interview_20db_roomtone_wav16k.wav", "dev06_synthetic_espeak_wav22k.wav",
          "dev12_hum_ventilation_wav22k.wav"})
        mics << QString::fromStdString(data + "/dialogue/" + name);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), mics));
    ASSERT_TRUE(waitUntil(
        [vc] {
            const auto& lanes = vc->preview()->canvas()->scene().microphones;
            return lanes.size() == 3 &&
                   std::all_of(lanes.begin(), lanes.end(),
                               [](const auto& lane) { return lane.track != nullptr; }) &&
                   !vc->preview()->microphones()->isRunning() &&
                   !vc->preview()->analysis()->isRunning();
        },
        60000));
    shoot("preview_three_microphones");
}

} // namespace
} // namespace quelvo::test
