// What an editor sees around a job, driven by clicks and keys: the result
// that stays in the window, a hand-over that reports success only once it
// worked, files marked unreadable when chosen, an alert that leaves the
// stored filler alone, the role chooser's close button and file pickers
// that open where the user last was.
#include <sstream>

#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "ui/kit/text_field.h"
#include <QTest>

#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/file_opener.h"
#include "ui/kit/window_title.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/music_role_dialog.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;

class EditorFeedbackTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // Show in Folder and Open write what they were asked into a log.
        m_log = (dir / "opened.log").string();
        const std::string script = (dir / "file-opener.sh").string();
        writeFile(script, "#!/bin/sh\necho \"$1 $2\" >> '" + m_log + "'\n");
        fs::permissions(script, fs::perms::owner_all);
        setenv(quelvo::ui::fileOpener::kOpenerVariable, script.c_str(), 1);
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    }
    void TearDown() override {
        UiTest::TearDown();
        TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
        unsetenv(quelvo::ui::fileOpener::kOpenerVariable);
        unsetenv("QUELVO_FCP_OPENER");
        unsetenv("XDG_CACHE_HOME");
    }

    // The lines the file opener logged, waiting for `count` of them.
    std::vector<std::string> opened(size_t count) {
        std::vector<std::string> lines;
        waitUntil(
            [&] {
                lines.clear();
                if (!fs::exists(m_log)) return false;
                std::istringstream in(readFile(m_log));
                for (std::string line; std::getline(in, line);)
                    lines.push_back(line);
                return lines.size() >= count;
            },
            10000);
        return lines;
    }

    void choose(MainWindow* vc, const std::string& talk, const std::string& music) {
        ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
        ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    }

    void duckAndWait(MainWindow* vc) {
        QTest::mouseClick(vc->duckButton(), Qt::LeftButton);
        ASSERT_NE(nullptr, openProgressSheet()) << "the job did not start";
        ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000))
            << "the job never ended";
        processEvents();
    }

    void handOverWith(const std::string& body) {
        const std::string path = (dir / "fcp-opener.sh").string();
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        setenv("QUELVO_FCP_OPENER", path.c_str(), 1);
        TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    }

    TempDir dir;

  private:
    std::string m_log;
};

TEST_F(EditorFeedbackTest, TheResultStaysInTheWindowUntilTheNextJobAndItsButtonsWork) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue, "talk.wav");
    choose(vc, talk, copyRecording(dir, kMusic));
    EXPECT_FALSE(vc->resultPanel()->isVisible()) << "nothing to show before a job";
    duckAndWait(vc);
    ASSERT_TRUE(alerts.shown.empty()) << alerts.shown[0].informativeText;

    const std::string project = (dir / "talk.fcpxml").string();
    ASSERT_TRUE(fs::exists(project));
    quelvo::ui::JobResultPanel* panel = vc->resultPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ("Project saved", panel->headingLabel()->text().toStdString());
    EXPECT_EQ("talk.fcpxml", panel->fileLabel()->text().toStdString());
    const std::string contents = panel->contentsLabel()->text().toStdString();
    EXPECT_NE(std::string::npos, contents.find(" speech interval")) << contents;
    EXPECT_NE(std::string::npos, contents.find(" keyframes, 0 filler clips")) << contents;
    EXPECT_FALSE(panel->warningsLabel()->isVisible()) << "a clean job has nothing more to say";
    // A job's warnings (damaged audio, say) are listed under the counts.
    quelvo::DuckOutcome warned;
    warned.warnings = {
        "1.0% of the dialogue talk.m4a is damaged, first at 00:03:22; it is played as silence"};
    panel->showOutcome(warned, project);
    EXPECT_TRUE(panel->warningsLabel()->isVisible());
    EXPECT_EQ(
        "1.0% of the dialogue talk.m4a is damaged, first at 00:03:22; it is played as silence.",
        panel->warningsLabel()->text().toStdString());
    ASSERT_EQ(1u, notifications.posted.size());
    EXPECT_EQ("Quelvo Done", notifications.posted[0].first);
    EXPECT_EQ("Successfully Ducked Audio Files.\ntalk.fcpxml", notifications.posted[0].second);

    QTest::mouseClick(panel->showInFolderButton(), Qt::LeftButton);
    EXPECT_EQ((std::vector<std::string>{"reveal " + project}), opened(1));
    panel->openButton()->setFocus();
    QTest::keyClick(panel->openButton(), Qt::Key_Space);
    EXPECT_EQ((std::vector<std::string>{"reveal " + project, "open " + project}), opened(2));

    // The next job clears it at once; a failed one leaves it hidden.
    fs::resize_file(talk, 100);
    QTest::mouseClick(vc->duckButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    waitUntil([] { return openProgressSheet() == nullptr; }, 120000);
    processEvents();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(EditorFeedbackTest, AHandOverIsASuccessOnlyOnceFinalCutProHasTheProject) {
    // The opener takes a moment; success must wait for it.
    const std::string received = (dir / "received").string();
    handOverWith("sleep 0.3; cp \"$1\" '" + received + "'");
    MainWindow* vc = showMainWindow();
    choose(vc, copyRecording(dir, kDialogue, "talk.wav"), copyRecording(dir, kMusic));
    bool handedOverFirst = false;
    QTest::mouseClick(vc->duckButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!notifications.posted.empty()) handedOverFirst = fs::exists(received);
            return openProgressSheet() == nullptr;
        },
        120000));
    processEvents();
    ASSERT_TRUE(alerts.shown.empty()) << alerts.shown[0].informativeText;
    ASSERT_EQ(1u, notifications.posted.size());
    EXPECT_TRUE(handedOverFirst) << "success was told before the hand-over had run";
    EXPECT_FALSE(fs::exists(dir / "talk.fcpxml"));
    EXPECT_EQ("Sent to Final Cut Pro", vc->resultPanel()->headingLabel()->text().toStdString());
    EXPECT_EQ(0u,
              vc->resultPanel()->fileLabel()->text().toStdString().rfind("talk_duck_project-", 0));
}

TEST_F(EditorFeedbackTest, AFailedHandOverIsOneWarningThatOffersTheCopy) {
    handOverWith("exit 3");
    MainWindow* vc = showMainWindow();
    choose(vc, copyRecording(dir, kDialogue, "talk.wav"), copyRecording(dir, kMusic));
    alerts.answers = {1}; // Show in Folder
    duckAndWait(vc);
    EXPECT_TRUE(notifications.posted.empty()) << "no success before or after a failed hand-over";
    ASSERT_EQ(1u, alerts.shown.size());
    const auto& alert = alerts.shown[0];
    EXPECT_EQ("Warning", alert.message);
    EXPECT_EQ((std::vector<std::string>{"OK", "Show in Folder"}), alert.buttons);
    EXPECT_EQ(0u,
              alert.informativeText.rfind("Final Cut Pro did not open the project; its copy", 0))
        << alert.informativeText;
    EXPECT_EQ(std::string::npos, alert.informativeText.find('/')) << "no paths in the sentence";
    EXPECT_NE(std::string::npos, alert.details.find("status 3")) << alert.details;
    EXPECT_FALSE(vc->resultPanel()->isVisible());

    std::vector<fs::path> copies;
    for (const auto& e : fs::recursive_directory_iterator(dir / "cache"))
        if (e.path().extension() == ".fcpxml") copies.push_back(e.path());
    ASSERT_EQ(1u, copies.size()) << "the copy stays in the cache folder";
    EXPECT_NE(std::string::npos, alert.informativeText.find(copies[0].filename().string()));
    EXPECT_EQ((std::vector<std::string>{"reveal " + copies[0].string()}), opened(1));
}

TEST_F(EditorFeedbackTest, UnreadableFilesAreMarkedWhenChosenAndStopDuckBeforeAnyJob) {
    MainWindow* vc = showMainWindow();
    const std::string text = (dir / "notes.mp3").string();
    writeFile(text, "these are my notes, not a song\n");
    // A WAV copy cut in half: the header promises more than is there.
    const std::string cut = copyRecording(dir, kMusic, "cut.wav");
    fs::resize_file(cut, fs::file_size(cut) / 2);
    choose(vc, copyRecording(dir, kDialogue), text);
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(cut)}));
    ASSERT_TRUE(
        waitUntil([vc] { return !vc->musicProblem().empty() && !vc->fillerProblem().empty(); }));
    processEvents();

    EXPECT_FALSE(vc->dialogueMarker()->isVisible());
    for (auto* marker : {vc->musicMarker(), vc->fillerMarker()}) {
        EXPECT_TRUE(marker->isVisible());
        EXPECT_EQ(quelvo::ui::MissingFileMarker::kUnreadable, marker->kind());
        EXPECT_EQ("Can't read", marker->caption().toStdString());
    }
    EXPECT_EQ("Not audio Quelvo can read", vc->musicDuration()->text().toStdString());
    EXPECT_EQ("The file is cut short", vc->fillerDuration()->text().toStdString());

    QTest::mouseClick(vc->duckButton(), Qt::LeftButton);
    EXPECT_EQ(nullptr, openProgressSheet()) << "no job starts with an unreadable file";
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("Warning", alerts.shown[0].message);
    EXPECT_EQ("The music file \u201Cnotes.mp3\u201D is not audio that Quelvo can read. Use WAV, "
              "MP3, M4A or AIFF.",
              alerts.shown[0].informativeText);
    EXPECT_FALSE(alerts.shown[0].details.empty());

    // A good music file takes the mark away; the cut filler still stops Duck.
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(copyRecording(dir, kMusic))}));
    ASSERT_TRUE(waitUntil(
        [vc] { return !vc->musicDuration()->text().isEmpty() && vc->musicProblem().empty(); }));
    processEvents();
    EXPECT_FALSE(vc->musicMarker()->isVisible());
    QTest::keyClick(vc->projectNameField(), Qt::Key_Return);
    EXPECT_EQ(nullptr, openProgressSheet());
    ASSERT_EQ(2u, alerts.shown.size());
    EXPECT_EQ(0u, alerts.shown[1].informativeText.rfind(
                      "The filler file \u201Ccut.wav\u201D is cut short", 0))
        << alerts.shown[1].informativeText;
}

TEST_F(EditorFeedbackTest, ADecoderFailureInTheJobReadsAsASentenceWithTheReasonUnderDetails) {
    // Marked only once the check has run: Duck pressed at once meets the job's own check.
    const std::string bogus = (dir / "talk.wav").string();
    writeFile(bogus, "this is not a recording");
    MainWindow* vc = showMainWindow();
    quelvo::DuckRequest request;
    request.inputs = {{bogus}, copyRecording(dir, kMusic), ""};
    request.rolls = currentEnvelopeTiming();
    quelvo::ui::ProgressDialog::showProgress(vc, request);
    ASSERT_TRUE(waitUntil([] { return openProgressSheet() == nullptr; }, 120000));
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("The dialogue file \u201Ctalk.wav\u201D is not audio that Quelvo can read. Use WAV, "
              "MP3, M4A or AIFF.",
              alerts.shown[0].informativeText);
    EXPECT_NE(std::string::npos, alerts.shown[0].details.find(bogus))
        << "the technical sentence, path and all";
}

TEST_F(EditorFeedbackTest, RemovingAMissingFillerKeepsItForTheNextJob) {
    MainWindow* vc = showMainWindow();
    const std::string filler = copyRecording(dir, kMusic, "filler.wav");
    choose(vc, copyRecording(dir, kDialogue, "talk.wav"), copyRecording(dir, kMusic));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    const std::string kept = (dir / "kept.wav").string();
    fs::rename(filler, kept); // the drive goes away for a moment

    alerts.answers = {1}; // Remove Filler File and Continue
    duckAndWait(vc);
    ASSERT_EQ(1u, alerts.shown.size());
    ASSERT_EQ(1u, notifications.posted.size()) << "the job ran without the filler";
    EXPECT_NE(std::string::npos,
              vc->resultPanel()->contentsLabel()->text().toStdString().find("0 filler clips"));
    EXPECT_EQ(filler, vc->fillerPath());
    EXPECT_EQ(filler, quelvo::storedString(MainWindow::kFillerKey, ""));

    fs::rename(kept, filler);        // and comes back: the next job uses it without asking
    fs::remove(dir / "talk.fcpxml"); // (nor asks to replace the first job's project)
    duckAndWait(vc);
    EXPECT_EQ(1u, alerts.shown.size()) << "no question this time";
    ASSERT_EQ(2u, notifications.posted.size());
}

TEST_F(EditorFeedbackTest, TheRoleChoosersCloseButtonClosesItAsOkDoes) {
    MainWindow::setRoleChooser(&quelvo::ui::MusicRoleDialog::showOver);
    MainWindow* vc = showMainWindow();
    QTest::mouseClick(vc->roleButton(), Qt::LeftButton);
    quelvo::ui::MusicRoleDialog* chooser = window->findChild<quelvo::ui::MusicRoleDialog*>();
    ASSERT_NE(nullptr, chooser);
    QPointer<QWidget> sheet = chooser->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    QTest::mouseClick(child<QRadioButton>(chooser, "dialogue"), Qt::LeftButton);
    closeByWindowManager(sheet);
    processEvents();
    EXPECT_TRUE(sheet.isNull()) << "the close button closes the sheet";
    EXPECT_EQ("Dialogue", vc->roleName()->text().toStdString())
        << "and the choice is kept, as with OK";
    quelvo::SecondFileRole::shared().setRole(quelvo::SecondFileRole::Role::music);
    MainWindow::setRoleChooser(nullptr);
}

TEST_F(EditorFeedbackTest, FilePickersOpenWhereTheUserLastChoseAFileForThatArea) {
    const fs::path talks = dir / "talks";
    fs::create_directories(talks);
    const std::string talk = copyRecording(dir, kDialogue);
    fs::rename(talk, talks / "talk.wav");
    {
        MainWindow* vc = showMainWindow();
        ASSERT_TRUE(
            dropFiles(vc->dialogueArea(), {QString::fromStdString((talks / "talk.wav").string())}));
        EXPECT_EQ(talks.string(), quelvo::storedString(MainWindow::kLastDialogueFolderKey, ""));
        delete window; // quit
        window = nullptr;
        processEvents();
    }
    // After a restart: the dialogue picker opens in that folder; the music
    // picker, never used, in the user's own folders, not the working folder.
    MainWindow* vc = showMainWindow();
    QTest::mouseClick(vc->dialogueArea(), Qt::LeftButton);
    auto* picker = window->findChild<QFileDialog*>();
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(talks.string(), picker->directory().absolutePath().toStdString());
    QPointer<QFileDialog> first = picker;
    QTest::keyClick(picker, Qt::Key_Escape);
    processEvents();
    ASSERT_TRUE(first.isNull()) << "Escape closes the picker";

    vc->musicArea()->setFocus();
    QTest::keyClick(vc->musicArea(), Qt::Key_Space);
    picker = window->findChild<QFileDialog*>();
    ASSERT_NE(nullptr, picker);
    EXPECT_NE(fs::current_path().string(), picker->directory().absolutePath().toStdString());
    const std::string music = copyRecording(dir, kMusic);
    picker->selectFile(QString::fromStdString(music));
    static_cast<QDialog*>(picker)->accept();
    EXPECT_EQ(dir.path().string(), quelvo::storedString(MainWindow::kLastMusicFolderKey, ""));
    EXPECT_EQ(talks.string(), quelvo::storedString(MainWindow::kLastDialogueFolderKey, ""))
        << "each area keeps its own folder";
}

} // namespace
} // namespace quelvo::test
