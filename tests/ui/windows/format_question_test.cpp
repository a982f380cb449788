// The desktop editor question as a user meets it: every editor chosen by
// mouse and by keyboard, remembered choices old and new, stored values it
// does not know, Cancel; the preferences' editor section and the result's
// wording for every kind of file.
#include <future>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "base/settings_store.h"
#include "project/format_choice.h"
#include "project/version_question_settings.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/kit/check_box.h"
#include "ui/kit/window_title.h"
#include "ui/windows/desktop_format_question.h"
#include "ui/windows/editor_choice_dialog.h"
#include "ui/windows/job_result_panel.h"
#include "ui/windows/main_window.h"
#include "ui/windows/preferences_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::EditorChoiceDialog;
using Answer = quelvo::FormatQuestion::Answer;

class FormatQuestionTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        showMainWindow();
    }

    EditorChoiceDialog* waitForSheet() {
        EditorChoiceDialog* sheet = nullptr;
        waitUntil([&] {
            sheet = window->findChild<EditorChoiceDialog*>();
            return sheet && sheet->isVisible();
        });
        return sheet;
    }
    bool sheetGone() {
        return waitUntil([&] { return window->findChild<EditorChoiceDialog*>() == nullptr; });
    }

    // Asks from a worker thread, as the job does; the answer says which thread got it.
    std::future<std::pair<Answer, std::thread::id>> askFromWorker() {
        auto promise = std::make_shared<std::promise<std::pair<Answer, std::thread::id>>>();
        auto answer = promise->get_future();
        std::thread([promise, from = static_cast<QWidget*>(window)] {
            quelvo::ui::DesktopFormatQuestion(from).ask(std::nullopt, [promise](Answer a) {
                promise->set_value({a, std::this_thread::get_id()});
            });
        }).detach();
        return answer;
    }
    template <typename Future> bool ready(Future& answer) {
        return waitUntil(
            [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    }

    // Asks on the GUI thread; answers are collected in m_answers.
    EditorChoiceDialog* ask(std::optional<ProjectFormat> preselected = std::nullopt) {
        const size_t before = m_answers.size();
        quelvo::ui::DesktopFormatQuestion(window).ask(preselected,
                                                      [this](Answer a) { m_answers.push_back(a); });
        return m_answers.size() == before ? waitForSheet() : nullptr;
    }
    std::vector<Answer> m_answers;
};

TEST_F(FormatQuestionTest, EveryEditorCanBeChosenByClickingAndTheAnswerReachesTheWorker) {
    for (ProjectFormat format : allProjectFormats()) {
        auto answer = askFromWorker();
        EditorChoiceDialog* sheet = waitForSheet();
        ASSERT_NE(nullptr, sheet);
        EXPECT_EQ("Final Cut Pro", child<QLabel>(sheet, "finalCutPro")->text().toStdString());
        EXPECT_EQ("Final Cut Pro 10.6 and later (FCPXML 1.9)",
                  sheet->choiceButton(ProjectFormat::fcpxml19)->text().toStdString());
        EXPECT_EQ("Older versions (FCPXML 1.6)",
                  sheet->choiceButton(ProjectFormat::fcpxml16)->text().toStdString());
        EXPECT_EQ("Premiere Pro / DaVinci Resolve (FCP7 XML)",
                  sheet->choiceButton(ProjectFormat::xmeml)->text().toStdString());
        EXPECT_EQ("Shotcut (MLT)", sheet->choiceButton(ProjectFormat::mlt)->text().toStdString());
        EXPECT_TRUE(sheet->choiceButton(ProjectFormat::fcpxml19)->isChecked())
            << "10.6 is preferred by default";
        EXPECT_EQ(window, sheet->parentWidget());
        sheet->choiceButton(format)->click();
        child<QPushButton>(sheet, "continue")->click();
        ASSERT_TRUE(ready(answer));
        const auto [chosen, thread] = answer.get();
        EXPECT_EQ(format, chosen);
        EXPECT_NE(std::this_thread::get_id(), thread);
        ASSERT_TRUE(sheetGone());
    }
    EXPECT_FALSE(quelvo::VersionQuestionSettings::shared().rememberedChoiceValue())
        << "nothing remembered unasked";
}

TEST_F(FormatQuestionTest, TheKeyboardAloneChoosesEveryEditorAndEscapeCancels) {
    const std::vector<ProjectFormat> downwards = {ProjectFormat::fcpxml19, ProjectFormat::fcpxml16,
                                                  ProjectFormat::xmeml, ProjectFormat::mlt};
    for (size_t steps = 0; steps < downwards.size(); ++steps) {
        EditorChoiceDialog* sheet = ask();
        ASSERT_NE(nullptr, sheet);
        ASSERT_TRUE(waitUntil([sheet] {
            sheet->window()->activateWindow();
            return QApplication::activeWindow() == sheet->window();
        }));
        ASSERT_EQ(sheet->choiceButton(ProjectFormat::fcpxml19), sheet->window()->focusWidget())
            << "the chosen editor has the focus";
        // Offscreen, activating a window does not hand it the application's focus.
        sheet->choiceButton(ProjectFormat::fcpxml19)->setFocus(Qt::ActiveWindowFocusReason);
        for (size_t i = 0; i < steps; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        EXPECT_EQ(sheet->choiceButton(downwards[steps]), QApplication::focusWidget()) << steps;
        if (steps + 1 == downwards.size()) {
            // Tab leaves the choices for the switch, Shift-Tab comes back.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(child<quelvo::ui::CheckBox>(sheet, "rememberMyChoice"),
                      QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            EXPECT_EQ(sheet->choiceButton(ProjectFormat::mlt), QApplication::focusWidget());
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(sheetGone());
        ASSERT_EQ(steps + 1, m_answers.size());
        EXPECT_EQ(downwards[steps], m_answers.back());
    }
    EditorChoiceDialog* sheet = ask();
    ASSERT_NE(nullptr, sheet);
    QTest::keyClick(sheet->choiceButton(ProjectFormat::mlt), Qt::Key_Escape);
    ASSERT_TRUE(sheetGone());
    EXPECT_EQ(std::nullopt, m_answers.back());
    // The window's close button cancels too, and the question answers once.
    sheet = ask();
    ASSERT_NE(nullptr, sheet);
    closeByWindowManager(sheet);
    ASSERT_TRUE(sheetGone());
    EXPECT_EQ(downwards.size() + 2, m_answers.size());
    EXPECT_EQ(std::nullopt, m_answers.back());
}

TEST_F(FormatQuestionTest, RememberedChoicesOldAndNewAnswerAtOnceAndUnknownOnesAsk) {
    auto& prefs = quelvo::VersionQuestionSettings::shared();
    prefs.setRememberMyChoice(true);
    // 0 and 1 as stored before other editors existed, then the new values.
    const std::pair<double, ProjectFormat> known[] = {{0, ProjectFormat::fcpxml16},
                                                      {1, ProjectFormat::fcpxml19},
                                                      {2, ProjectFormat::xmeml},
                                                      {3, ProjectFormat::mlt}};
    for (const auto& [stored, format] : known) {
        quelvo::storeDouble("KyFCP106Prefs.rememberedChoice", stored);
        m_answers.clear();
        EXPECT_EQ(nullptr, ask());
        ASSERT_EQ(1u, m_answers.size()) << stored;
        EXPECT_EQ(format, m_answers[0]);
    }
    // Values no version wrote: asked as if nothing were remembered.
    for (double stored : {4.0, 5.0, -3.0, 2.5, 1e300}) {
        quelvo::storeDouble("KyFCP106Prefs.rememberedChoice", stored);
        m_answers.clear();
        EditorChoiceDialog* sheet = ask();
        ASSERT_NE(nullptr, sheet) << stored;
        EXPECT_TRUE(sheet->choiceButton(ProjectFormat::fcpxml19)->isChecked());
        child<QPushButton>(sheet, "cancel")->click();
        ASSERT_TRUE(sheetGone());
        EXPECT_EQ(std::vector<Answer>{std::nullopt}, m_answers);
    }
    quelvo::storeString("KyFCP106Prefs.rememberedChoice", "mlt");
    m_answers.clear();
    ASSERT_NE(nullptr, ask(ProjectFormat::xmeml)) << "a stored text is nothing remembered";
    EXPECT_TRUE(waitForSheet()->choiceButton(ProjectFormat::xmeml)->isChecked())
        << "the caller's choice is preselected";
    child<QPushButton>(waitForSheet(), "cancel")->click();
    ASSERT_TRUE(sheetGone());
    // Remembering off: a stored choice is kept but not used.
    prefs.setRememberMyChoice(false);
    quelvo::storeDouble("KyFCP106Prefs.rememberedChoice", 3);
    ASSERT_NE(nullptr, ask());
    child<QPushButton>(waitForSheet(), "cancel")->click();
    ASSERT_TRUE(sheetGone());
}

TEST_F(FormatQuestionTest, RememberMyChoiceStoresANewEditorAndAFinalCutProOnlyQuestionStillAsks) {
    EditorChoiceDialog* sheet = ask();
    ASSERT_NE(nullptr, sheet);
    child<quelvo::ui::CheckBox>(sheet, "rememberMyChoice")->click();
    sheet->choiceButton(ProjectFormat::mlt)->click();
    child<QPushButton>(sheet, "continue")->click();
    ASSERT_TRUE(sheetGone());
    EXPECT_EQ(3, quelvo::storedDouble("KyFCP106Prefs.rememberedChoice", -1));
    EXPECT_EQ(std::nullopt, quelvo::VersionQuestionSettings::shared().rememberedChoice())
        << "not a version";
    m_answers.clear();
    EXPECT_EQ(nullptr, ask());
    EXPECT_EQ(std::vector<Answer>{ProjectFormat::mlt}, m_answers);

    // A question for Final Cut Pro projects only asks although Shotcut is remembered.
    quelvo::ui::DesktopFormatQuestion(window, {ProjectFormat::fcpxml19, ProjectFormat::fcpxml16})
        .ask(std::nullopt, [this](Answer a) { m_answers.push_back(a); });
    sheet = waitForSheet();
    ASSERT_NE(nullptr, sheet);
    EXPECT_TRUE(sheet->choiceButton(ProjectFormat::fcpxml16)->isEnabled());
    EXPECT_FALSE(sheet->choiceButton(ProjectFormat::mlt)->isEnabled());
    EXPECT_FALSE(sheet->choiceButton(ProjectFormat::xmeml)->isEnabled());
    sheet->choiceButton(ProjectFormat::fcpxml16)->click();
    child<QPushButton>(sheet, "continue")->click();
    ASSERT_TRUE(sheetGone());
    EXPECT_EQ((std::vector<Answer>{ProjectFormat::mlt, ProjectFormat::fcpxml16}), m_answers);
    EXPECT_EQ(0, quelvo::storedDouble("KyFCP106Prefs.rememberedChoice", -1));
}

TEST_F(FormatQuestionTest, SendingWithoutAFileIsSaidToBeFinalCutProsAlone) {
    EditorChoiceDialog* sheet = ask();
    ASSERT_NE(nullptr, sheet);
    EXPECT_FALSE(child<QLabel>(sheet, "sendNote")->isVisible());
    child<QPushButton>(sheet, "cancel")->click();
    ASSERT_TRUE(sheetGone());
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    sheet = ask();
    ASSERT_NE(nullptr, sheet);
    EXPECT_TRUE(child<QLabel>(sheet, "sendNote")->isVisible());
    EXPECT_NE(-1, child<QLabel>(sheet, "sendNote")->text().indexOf("Final Cut Pro projects"));
    child<QPushButton>(sheet, "cancel")->click();
    ASSERT_TRUE(sheetGone());
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = false;
}

TEST_F(FormatQuestionTest, ThePreferencesShowAndChangeTheRememberedEditor) {
    auto* prefs = new quelvo::ui::PreferencesWindow(window);
    prefs->showPlaced();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(prefs));
    auto* editors = child<QComboBox>(prefs, "rememberedEditor");
    auto* remember = child<quelvo::ui::CheckBox>(prefs, "rememberMyChoice");
    ASSERT_TRUE(editors && remember);
    EXPECT_FALSE(editors->isEnabled()) << "nothing is remembered while remembering is off";
    EXPECT_EQ(-1, editors->currentIndex());
    EXPECT_EQ(4, editors->count());
    EXPECT_TRUE(child<QLabel>(prefs, "sendNote")->isVisible());
    remember->click();
    ASSERT_TRUE(editors->isEnabled());
    EXPECT_EQ(std::nullopt, rememberedFormat()) << "turning it on remembers nothing yet";
    editors->setFocus();
    QTest::keyClick(editors, Qt::Key_Down); // from nothing to the first editor
    QTest::keyClick(editors, Qt::Key_Down);
    EXPECT_EQ("Final Cut Pro, older versions (FCPXML 1.6)", editors->currentText().toStdString());
    EXPECT_EQ(ProjectFormat::fcpxml16, rememberedFormat());
    editors->setCurrentIndex(editors->findData(static_cast<int>(ProjectFormat::mlt)));
    emit editors->activated(editors->currentIndex());
    EXPECT_EQ(ProjectFormat::mlt, rememberedFormat());
    EXPECT_EQ(nullptr, ask()) << "the question uses what the preferences remember";
    EXPECT_EQ(std::vector<Answer>{ProjectFormat::mlt}, m_answers);
    remember->click();
    EXPECT_FALSE(editors->isEnabled());
}

TEST_F(FormatQuestionTest, TheResultNamesTheKindOfFileForEveryEditor) {
    quelvo::ui::JobResultPanel panel;
    DuckOutcome outcome;
    outcome.success = true;
    outcome.clusters = 3;
    outcome.keyframes = 12;
    const std::pair<const char*, const char*> kinds[] = {
        {"1.9", "FCPXML 1.9"}, {"1.6", "FCPXML 1.6"}, {"xmeml", "FCP7 XML"}, {"mlt", "MLT XML"}};
    for (const auto& [format, kind] : kinds) {
        outcome.format = formatFromOption(format);
        panel.showOutcome(outcome,
                          "/tmp/talk." + std::string(fileExtension(*formatFromOption(format))));
        EXPECT_EQ("3 speech intervals, 12 keyframes, 0 filler clips \u00B7 " + std::string(kind),
                  panel.contentsLabel()->text().toStdString());
        EXPECT_EQ("talk." + std::string(fileExtension(*formatFromOption(format))),
                  panel.fileLabel()->text().toStdString());
        EXPECT_EQ("Project saved", panel.headingLabel()->text().toStdString());
    }
}

} // namespace
} // namespace quelvo::test
