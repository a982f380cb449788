// The main window, driven as a user drives it: drops, the Duck button and
// its alerts, the project name, the filler's memory, missing-file markers
// and the level controls.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "base/notifier.h"
#include "base/settings_store.h"
#include "base/task_runner.h"
#include "project/envelope_timing.h"
#include "project/second_file_role.h"
#include "support/ui_test_support.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/release_notes.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/text_field.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/missing_file_marker.h"
#include "ui/windows/progress_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;

class MainWindowTest : public UiTest {
  protected:
    void SetUp() override { UiTest::SetUp(); }

    // Waits until the background duration work has filled the labels.
    void waitForDurations(MainWindow* vc, const std::function<bool()>& shown) {
        ASSERT_TRUE(waitUntil(shown))
            << "durations: '" << vc->dialogueDuration()->text().toStdString() << "' '"
            << vc->musicDuration()->text().toStdString() << "' '"
            << vc->fillerDuration()->text().toStdString() << "'";
    }

    // Lets the window's own timer tick once (it runs every half second).
    void waitForTick(MainWindow* vc) {
        QSignalSpy tick(&vc->fileWatch(), &quelvo::ui::RepeatingTimer::fired);
        ASSERT_TRUE(tick.wait(5000)) << "the marker timer did not tick";
    }

    std::vector<std::string> alertTexts() const {
        std::vector<std::string> texts;
        for (const auto& a : alerts.shown)
            texts.push_back(a.informativeText);
        return texts;
    }

    TempDir dir;
};

TEST_F(MainWindowTest, ComesUpWithItsDefaults) {
    MainWindow* vc = showMainWindow();
    const std::vector<std::string> audio{"wav", "wave", "mp3", "m4a", "aif", "aiff"};
    for (quelvo::ui::FileDropArea* area : {vc->dialogueArea(), vc->musicArea(), vc->fillerArea()}) {
        EXPECT_EQ("Drag Here", area->text().toStdString());
        EXPECT_EQ(2, area->dropMode);
        // The dialogue may also be a video clip.
        std::vector<std::string> accepted = audio;
        if (area == vc->dialogueArea())
            accepted.insert(accepted.end(), {"mov", "mp4", "m4v", "mkv", "mxf", "avi"});
        EXPECT_EQ(accepted, area->acceptedExtensions);
    }
    EXPECT_EQ(-12.0, vc->depthSlider()->value());
    EXPECT_EQ("-12", vc->depthValue()->text().toStdString());
    EXPECT_EQ("dB", vc->depthUnit()->text().toStdString());
    EXPECT_EQ(0.0, vc->musicLevelSlider()->value());
    EXPECT_EQ("0", vc->musicLevelValue()->text().toStdString());
    EXPECT_FALSE(vc->decreaseToZeroBox()->isChecked());
    EXPECT_TRUE(vc->depthSlider()->isEnabled());
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());
    EXPECT_TRUE(vc->projectNameField()->text().isEmpty());
    EXPECT_EQ("", vc->firstDialoguePath());
    EXPECT_EQ("", vc->musicPath());
    EXPECT_EQ("", vc->fillerPath());
    for (auto* marker : {vc->dialogueMarker(), vc->musicMarker(), vc->fillerMarker()})
        EXPECT_TRUE(marker->isHidden());
    EXPECT_EQ(500, vc->fileWatch().intervalMs());
    EXPECT_EQ("Quelvo", window->windowTitle().toStdString());
}

TEST_F(MainWindowTest, SlidersCoverTheirRangesInWholeDecibels) {
    MainWindow* vc = showMainWindow();
    vc->depthSlider()->setValue(-100);
    EXPECT_EQ(-60.0, vc->depthSlider()->value());
    vc->depthSlider()->setValue(5);
    EXPECT_EQ(0.0, vc->depthSlider()->value());
    vc->depthSlider()->setValue(-20.4);
    EXPECT_EQ(-20.0, vc->depthSlider()->value());
    vc->musicLevelSlider()->setValue(-40);
    EXPECT_EQ(-30.0, vc->musicLevelSlider()->value());
    vc->musicLevelSlider()->setValue(40);
    EXPECT_EQ(12.0, vc->musicLevelSlider()->value());
    EXPECT_EQ("+12", vc->musicLevelValue()->text().toStdString());
}

TEST_F(MainWindowTest, SlidersStoreEveryMoveAndComeBackWithIt) {
    MainWindow* vc = showMainWindow();
    vc->depthSlider()->setFocus();
    QTest::keyClick(vc->depthSlider(), Qt::Key_Left);
    EXPECT_EQ(-13.0, quelvo::storedDouble("duck.decrease", 0));
    EXPECT_EQ("-13", vc->depthValue()->text().toStdString());
    vc->musicLevelSlider()->setFocus();
    QTest::keyClick(vc->musicLevelSlider(), Qt::Key_Right);
    EXPECT_EQ(1.0, quelvo::storedDouble("duck.overallMusicLevel", 0));
    EXPECT_EQ("+1", vc->musicLevelValue()->text().toStdString());

    delete window;
    window = nullptr;
    MainWindow* again = showMainWindow();
    EXPECT_EQ(-13.0, again->depthSlider()->value());
    EXPECT_EQ(1.0, again->musicLevelSlider()->value());
}

TEST_F(MainWindowTest, DialogueDropListsEveryFileAndNamesTheProjectAfterTheFirst) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue, "Interview Take 3.wav");
    const std::string other = copyRecording(dir, kDialogue, "other.wav");
    vc->projectNameField()->setText("typed before");

    ASSERT_TRUE(dropFiles(vc->dialogueArea(),
                          {QString::fromStdString(talk), QString::fromStdString(other)}));
    EXPECT_EQ(talk, vc->firstDialoguePath());
    EXPECT_EQ((std::vector<std::string>{talk, other}), vc->dialoguePaths());
    EXPECT_EQ("Interview Take 3", vc->projectNameField()->text().toStdString());
    EXPECT_EQ("2 Dialogue Files", vc->dialogueArea()->text().toStdString());
    waitForDurations(vc, [vc] { return !vc->dialogueDuration()->text().isEmpty(); });
    EXPECT_EQ("Longest Dialogue File: 00:00:15.880", vc->dialogueDuration()->text().toStdString());
    // One file left: the one-file look and line of before.
    vc->removeDialogueFile(1);
    EXPECT_EQ("Interview Take 3.wav", vc->dialogueArea()->text().toStdString());
    waitForDurations(vc, [vc] { return !vc->dialogueDuration()->text().isEmpty(); });
    EXPECT_EQ("Dialogue File Duration: 00:00:15.880", vc->dialogueDuration()->text().toStdString());
    EXPECT_TRUE(vc->musicDuration()->text().isEmpty());
    // The dialogue is not remembered across runs.
    EXPECT_EQ("", quelvo::storedString("duck.speaker", ""));
}

TEST_F(MainWindowTest, DropsWithoutAnAcceptedFileAreRefused) {
    MainWindow* vc = showMainWindow();
    const std::string notes = (dir / "notes.txt").string();
    writeFile(notes, "not audio");
    const std::string video = (dir / "clip.mov").string();
    writeFile(video, "not audio either");

    EXPECT_FALSE(dropFiles(vc->dialogueArea(), {QString::fromStdString(notes)}));
    EXPECT_FALSE(
        dropFiles(vc->musicArea(), {QString::fromStdString(notes), QString::fromStdString(video)}));
    EXPECT_FALSE(dropFiles(vc->fillerArea(), {QString::fromStdString(dir.path().string())}));
    EXPECT_EQ("", vc->firstDialoguePath());
    EXPECT_EQ("", vc->musicPath());
    EXPECT_EQ("", vc->fillerPath());
    EXPECT_EQ("Drag Here", vc->dialogueArea()->text().toStdString());
    EXPECT_TRUE(vc->projectNameField()->text().isEmpty());
}

TEST_F(MainWindowTest, ExtensionsAreMatchedWithoutRegardToCase) {
    MainWindow* vc = showMainWindow();
    const std::string notes = (dir / "notes.txt").string();
    writeFile(notes, "not audio");
    const std::string loud = copyRecording(dir, kMusic, "BED.WAV");
    // The refused file is skipped; the first accepted one counts.
    ASSERT_TRUE(
        dropFiles(vc->musicArea(), {QString::fromStdString(notes), QString::fromStdString(loud)}));
    EXPECT_EQ(loud, vc->musicPath());
    EXPECT_EQ("BED.WAV", vc->musicArea()->text().toStdString());
    waitForDurations(vc, [vc] { return !vc->musicDuration()->text().isEmpty(); });
    EXPECT_EQ("Music File Duration: 00:00:32.000", vc->musicDuration()->text().toStdString());
}

TEST_F(MainWindowTest, MusicAndFillerDropsFillTheirOwnSlots) {
    MainWindow* vc = showMainWindow();
    const std::string music = copyRecording(dir, kMusic);
    const std::string filler = copyRecording(dir, kMusic, "filler.wav");
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    EXPECT_EQ(music, vc->musicPath());
    EXPECT_EQ(filler, vc->fillerPath());
    EXPECT_EQ("", vc->firstDialoguePath());
    EXPECT_TRUE(vc->projectNameField()->text().isEmpty())
        << "only a dialogue drop names the project";
    EXPECT_EQ(filler, quelvo::storedString("duck.filler", ""));
    waitForDurations(vc, [vc] {
        return !vc->musicDuration()->text().isEmpty() && !vc->fillerDuration()->text().isEmpty();
    });
    EXPECT_EQ("Filler File Duration: 00:00:32.000", vc->fillerDuration()->text().toStdString());
    EXPECT_TRUE(vc->dialogueDuration()->text().isEmpty());
}

TEST_F(MainWindowTest, ClickingADropAreaOpensAFilePicker) {
    MainWindow* vc = showMainWindow();
    const std::string music = copyRecording(dir, kMusic);
    QTest::mouseClick(vc->musicArea(), Qt::LeftButton);
    auto* picker = window->findChild<QFileDialog*>();
    ASSERT_NE(nullptr, picker);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(Qt::WindowModal, picker->windowModality());
    picker->selectFile(QString::fromStdString(music));
    static_cast<QDialog*>(picker)->accept(); // as the Open button does
    EXPECT_EQ(music, vc->musicPath());
    EXPECT_EQ("dev_music_gaps.wav", vc->musicArea()->text().toStdString());
}

TEST_F(MainWindowTest, DuckChecksTheInputsInOrderAndStopsAtTheFirstProblem) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue);
    const std::string music = copyRecording(dir, kMusic);
    const std::string filler = copyRecording(dir, kMusic, "filler.wav");
    const std::string aside = (dir / "aside").string();
    const auto hide = [&](const std::string& p) { fs::rename(p, aside); };
    const auto restore = [&](const std::string& p) { fs::rename(aside, p); };

    vc->duckButton()->click();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    hide(talk);
    vc->duckButton()->click();
    restore(talk);
    vc->duckButton()->click();
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    hide(music);
    vc->duckButton()->click();
    restore(music);
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    hide(filler);
    alerts.answers = {0, 0, 0, 0, 0}; // "OK" everywhere
    vc->duckButton()->click();

    ASSERT_EQ(5u, alerts.shown.size());
    EXPECT_EQ((std::vector<std::string>{
                  "Speaker File Not Specified.", "Speaker File Not Found.",
                  "Music File Not Specified.", "Music File Not Found.",
                  "Filler File Not found.\nWould you like to remove it and continue?"}),
              alertTexts());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ("Warning", alerts.shown[i].message);
        EXPECT_EQ((std::vector<std::string>{"OK"}), alerts.shown[i].buttons);
    }
    EXPECT_EQ("Warning", alerts.shown[4].message);
    EXPECT_EQ((std::vector<std::string>{"OK", "Remove Filler File and Continue"}),
              alerts.shown[4].buttons);

    // Nothing started, nothing stored, nothing changed.
    processEvents();
    EXPECT_EQ(nullptr, openProgressSheet());
    EXPECT_EQ("unset", quelvo::storedString("duck.projectName", "unset"));
    EXPECT_EQ(filler, vc->fillerPath());
    EXPECT_EQ(filler, quelvo::storedString("duck.filler", ""));
}

TEST_F(MainWindowTest, RemovingAMissingFillerStartsThisJobWithoutItAndKeepsTheStoredPath) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue);
    const std::string music = copyRecording(dir, kMusic);
    const std::string filler = copyRecording(dir, kMusic, "filler.wav");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    fs::remove(filler);

    alerts.answers = {1}; // "Remove Filler File and Continue"
    vc->duckButton()->click();
    ASSERT_EQ(1u, alerts.shown.size());
    quelvo::ui::ProgressDialog* sheet = openProgressSheet();
    ASSERT_NE(nullptr, sheet) << "the job did not start";
    EXPECT_EQ("", sheet->request().inputs.filler);
    EXPECT_EQ(std::vector<std::string>{talk}, sheet->request().inputs.dialogue);
    EXPECT_EQ(music, sheet->request().inputs.music);
    // Only this job goes without it: an alert leaves the window as it was,
    // so a filler on a drive that was briefly away comes back by itself.
    EXPECT_EQ(filler, vc->fillerPath());
    EXPECT_EQ("filler.wav", vc->fillerArea()->text().toStdString());
    EXPECT_EQ(filler, quelvo::storedString("duck.filler", "unset"));
}

TEST_F(MainWindowTest, StartJobHandsTheSettingsToTheProgressSheet) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue);
    const std::string music = copyRecording(dir, kMusic);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    vc->projectNameField()->setText("Interview");
    vc->depthSlider()->setValue(-20);
    vc->musicLevelSlider()->setValue(3);
    vc->decreaseToZeroBox()->click();
    const EnvelopeTiming rolls = currentEnvelopeTiming();

    vc->duckButton()->click();
    EXPECT_TRUE(alerts.shown.empty());
    quelvo::ui::ProgressDialog* sheet = openProgressSheet();
    ASSERT_NE(nullptr, sheet);
    const quelvo::DuckRequest& r = sheet->request();
    EXPECT_EQ(std::vector<std::string>{talk}, r.inputs.dialogue);
    EXPECT_EQ(music, r.inputs.music);
    EXPECT_EQ("", r.inputs.filler) << "no filler given: the check passes with an empty path";
    EXPECT_EQ(-20, r.depth.decrease) << "the depth goes along even when muting";
    EXPECT_EQ(3, r.depth.overallMusicLevel);
    EXPECT_TRUE(r.depth.toZero);
    EXPECT_EQ("Interview_duck_event", r.eventName);
    EXPECT_EQ("Interview_duck_project", r.projectName);
    EXPECT_EQ(rolls, r.rolls);
    EXPECT_EQ("Interview", quelvo::storedString("duck.projectName", ""));
    EXPECT_TRUE(sheet->window()->isModal());
    EXPECT_EQ(window, sheet->window()->parentWidget());
}

TEST_F(MainWindowTest, ProjectNameFollowsTheDialogueUntilTyped) {
    MainWindow* vc = showMainWindow();
    const std::string first = copyRecording(dir, kDialogue, "first.wav");
    const std::string second = copyRecording(dir, kDialogue, "second.wav");
    const std::string music = copyRecording(dir, kMusic);
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(first)}));
    EXPECT_EQ("first", vc->projectNameField()->text().toStdString());

    // Typed after the drop: it stays until the next dialogue drop.
    vc->projectNameField()->selectAll();
    QTest::keyClicks(vc->projectNameField(), "My Cut");
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    EXPECT_EQ("My Cut", vc->projectNameField()->text().toStdString());
    vc->removeDialogueButton()->click();
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(second)}));
    EXPECT_EQ("second", vc->projectNameField()->text().toStdString());

    // An empty name is no error.
    vc->projectNameField()->clear();
    vc->duckButton()->click();
    quelvo::ui::ProgressDialog* sheet = openProgressSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_EQ("_duck_event", sheet->request().eventName);
    EXPECT_EQ("_duck_project", sheet->request().projectName);
    EXPECT_EQ("", quelvo::storedString("duck.projectName", "unset"));
}

TEST_F(MainWindowTest, TheLastProjectNameComesBackAtStart) {
    quelvo::storeString("duck.projectName", "Episode 12");
    MainWindow* vc = showMainWindow();
    EXPECT_EQ("Episode 12", vc->projectNameField()->text().toStdString());
}

TEST_F(MainWindowTest, TheFillerComesBackAtStartButNotTheOtherFiles) {
    const std::string filler = copyRecording(dir, kMusic, "room tone bed.wav");
    quelvo::storeString("duck.filler", filler);
    MainWindow* vc = showMainWindow();
    EXPECT_EQ(filler, vc->fillerPath());
    EXPECT_EQ("room tone bed.wav", vc->fillerArea()->text().toStdString());
    EXPECT_EQ("", vc->firstDialoguePath());
    EXPECT_EQ("", vc->musicPath());
    EXPECT_EQ("Drag Here", vc->dialogueArea()->text().toStdString());
    EXPECT_EQ("Drag Here", vc->musicArea()->text().toStdString());
    EXPECT_TRUE(vc->fillerMarker()->isHidden());
    waitForDurations(vc, [vc] { return !vc->fillerDuration()->text().isEmpty(); });
    EXPECT_EQ("Filler File Duration: 00:00:32.000", vc->fillerDuration()->text().toStdString());
}

TEST_F(MainWindowTest, AFillerThatWentAwayIsMarkedAtStart) {
    quelvo::storeString("duck.filler", (dir / "gone.wav").string());
    MainWindow* vc = showMainWindow();
    EXPECT_EQ("gone.wav", vc->fillerArea()->text().toStdString());
    EXPECT_FALSE(vc->fillerMarker()->isHidden());
}

TEST_F(MainWindowTest, ClearForgetsTheFiller) {
    MainWindow* vc = showMainWindow();
    const std::string filler = copyRecording(dir, kMusic, "filler.wav");
    ASSERT_TRUE(dropFiles(vc->fillerArea(), {QString::fromStdString(filler)}));
    waitForDurations(vc, [vc] { return !vc->fillerDuration()->text().isEmpty(); });
    vc->clearFillerButton()->click();
    EXPECT_EQ("", vc->fillerPath());
    EXPECT_EQ("Drag Here", vc->fillerArea()->text().toStdString());
    EXPECT_EQ("", quelvo::storedString("duck.filler", "unset"));
    EXPECT_TRUE(vc->fillerDuration()->text().isEmpty());
    // A late answer of the earlier duration work must not bring it back.
    TaskRunner::shared().waitForAll();
    processEvents();
    EXPECT_TRUE(vc->fillerDuration()->text().isEmpty());
}

TEST_F(MainWindowTest, MissingFilesAreMarkedWithinASecondAndUnmarkedWhenBack) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue);
    const std::string music = copyRecording(dir, kMusic);
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    ASSERT_TRUE(dropFiles(vc->musicArea(), {QString::fromStdString(music)}));
    EXPECT_TRUE(vc->dialogueMarker()->isHidden());

    // The markers are refreshed by a half-second timer: the next tick comes
    // within a second of any change.
    ASSERT_TRUE(vc->fileWatch().isActive());
    ASSERT_LE(vc->fileWatch().intervalMs(), 500);
    const std::string aside = (dir / "aside").string();
    fs::rename(talk, aside);
    waitForTick(vc);
    EXPECT_FALSE(vc->dialogueMarker()->isHidden());
    EXPECT_TRUE(vc->musicMarker()->isHidden());
    EXPECT_TRUE(vc->fillerMarker()->isHidden()) << "an empty filler is never missing";
    EXPECT_TRUE(vc->dialogueMarker()->isVisibleTo(window));

    fs::rename(aside, talk);
    waitForTick(vc);
    EXPECT_TRUE(vc->dialogueMarker()->isHidden());

    fs::remove(music);
    waitForTick(vc);
    EXPECT_FALSE(vc->musicMarker()->isHidden());
}

TEST_F(MainWindowTest, DecreaseToZeroDisablesTheDepthControls) {
    quelvo::storeBool("decreaseToZero", true);
    MainWindow* vc = showMainWindow();
    EXPECT_TRUE(vc->decreaseToZeroBox()->isChecked());
    EXPECT_FALSE(vc->depthSlider()->isEnabled());
    EXPECT_FALSE(vc->depthValue()->isEnabled());
    EXPECT_FALSE(vc->depthUnit()->isEnabled());
    EXPECT_EQ("-12", vc->depthValue()->text().toStdString()) << "the value still shows";

    QTest::mouseClick(vc->decreaseToZeroBox(), Qt::LeftButton);
    EXPECT_FALSE(quelvo::storedBool("decreaseToZero", true));
    EXPECT_TRUE(vc->depthSlider()->isEnabled());
    EXPECT_TRUE(vc->depthValue()->isEnabled());
    EXPECT_TRUE(vc->depthUnit()->isEnabled());

    QTest::mouseClick(vc->decreaseToZeroBox(), Qt::LeftButton);
    EXPECT_TRUE(quelvo::storedBool("decreaseToZero", false));
    EXPECT_FALSE(vc->depthSlider()->isEnabled());
    EXPECT_TRUE(vc->musicLevelSlider()->isEnabled());
}

TEST_F(MainWindowTest, RoleLabelFollowsTheRoleChooser) {
    MainWindow* vc = showMainWindow();
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());
    auto& role = quelvo::SecondFileRole::shared();
    role.setRole(quelvo::SecondFileRole::Role::custom);
    role.setCustomRole("sound effects");
    quelvo::Notifier::notify(quelvo::SecondFileRole::kNotificationKey);
    EXPECT_EQ("Sound Effects", vc->roleName()->text().toStdString());

    // An announcement from another thread reaches the label on the GUI thread.
    role.setRole(quelvo::SecondFileRole::Role::dialogue);
    std::thread([] { quelvo::Notifier::notify(quelvo::SecondFileRole::kNotificationKey); }).join();
    EXPECT_TRUE(waitUntil([vc] { return vc->roleName()->text() == "Dialogue"; }));
}

TEST_F(MainWindowTest, RoleButtonOpensTheInstalledChooser) {
    int opened = 0;
    QWidget* from = nullptr;
    MainWindow::setRoleChooser([&](QWidget* c) {
        ++opened;
        from = c;
    });
    MainWindow* vc = showMainWindow();
    EXPECT_TRUE(vc->roleButton()->isEnabled());
    vc->roleButton()->click();
    MainWindow::setRoleChooser(nullptr);
    EXPECT_EQ(1, opened);
    EXPECT_EQ(vc, from);
}

TEST_F(MainWindowTest, TheNewsButtonShowsTheReleaseNotesThatShipWithTheProgram) {
    MainWindow* vc = showMainWindow();
    ASSERT_NE(nullptr, vc->news());
    EXPECT_NE(std::string::npos, vc->news()->newsText().toStdString().find("What's new in Quelvo"));
    vc->newsButton()->click();
    QDialog* news = vc->news()->dialog();
    ASSERT_NE(nullptr, news);
    EXPECT_TRUE(news->isVisible());
    EXPECT_EQ(Qt::WindowModal, news->windowModality());
    auto* text = news->findChild<QTextBrowser*>();
    ASSERT_NE(nullptr, text);
    EXPECT_TRUE(text->toPlainText().contains("Automatic ducking"));
    news->close();
}

TEST_F(MainWindowTest, TellsWhenItHasClosed) {
    MainWindow* vc = showMainWindow();
    QSignalSpy closed(vc, &MainWindow::closed);
    // A close someone refused leaves the window as it was.
    struct Refuse : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() != QEvent::Close) return false;
            event->ignore();
            return true;
        }
    } refuse;
    vc->installEventFilter(&refuse);
    vc->close();
    EXPECT_EQ(0, closed.count());
    EXPECT_TRUE(vc->isVisible());
    vc->removeEventFilter(&refuse);
    vc->close();
    EXPECT_EQ(1, closed.count());
    EXPECT_FALSE(vc->isVisible());
}

// Every text must fit at the smallest size the window can take.
TEST_F(MainWindowTest, NothingClipsAtTheMinimumSize) {
    MainWindow* vc = showMainWindow();
    const std::string talk =
        copyRecording(dir, kDialogue, "a rather long dialogue file name take 12.wav");
    ASSERT_TRUE(dropFiles(vc->dialogueArea(), {QString::fromStdString(talk)}));
    vc->dialogueDuration()->setText("Dialogue File Duration: 00:00:00.000");
    vc->musicDuration()->setText("Music File Duration: 00:00:00.000");
    vc->fillerDuration()->setText("Filler File Duration: 00:00:00.000");
    vc->dialogueMarker()->show();
    TaskRunner::shared().waitForAll();
    processEvents();
    window->resize(window->minimumSizeHint());
    processEvents();
    ASSERT_LE(window->width(), 1100) << "too wide for a laptop screen at 200 %";
    for (QLabel* label : vc->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->wordWrap()) continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_GE(label->contentsRect().width(), needed)
            << "clipped: " << label->text().toStdString();
    }
    for (QAbstractButton* button : vc->findChildren<QAbstractButton*>()) {
        EXPECT_GE(button->width(), button->minimumSizeHint().width())
            << button->text().toStdString();
        EXPECT_GE(button->height(), button->minimumSizeHint().height())
            << button->text().toStdString();
    }
    for (QWidget* w : vc->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        EXPECT_GE(w->width(), w->minimumSizeHint().width())
            << w->metaObject()->className() << " " << w->property("text").toString().toStdString();
        EXPECT_TRUE(vc->rect().contains(QRect(w->mapTo(vc, QPoint(0, 0)), w->size())))
            << w->metaObject()->className() << " lies outside the window";
    }
}

} // namespace
} // namespace quelvo::test
