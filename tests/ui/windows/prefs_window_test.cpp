// The preferences window: what it shows on a first run, the timing that
// changes the moment a slider moves (and what a pre-roll leaves alone), the
// three switches written into their owners, and OK that only closes.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "base/settings_store.h"
#include "project/envelope_timing.h"
#include "project/version_question_settings.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/kit/check_box.h"
#include "ui/kit/setting_slider.h"
#include "ui/windows/depth_mode_chooser.h"
#include "ui/windows/preferences_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::PreferencesWindow;

// Field by field, allowing for the last bit of a subtraction.
void expectRolls(const EnvelopeTiming& expected, const EnvelopeTiming& actual) {
    EXPECT_NEAR(expected.preFadeIn, actual.preFadeIn, 1e-9);
    EXPECT_NEAR(expected.postFadeIn, actual.postFadeIn, 1e-9);
    EXPECT_NEAR(expected.preFadeOut, actual.preFadeOut, 1e-9);
    EXPECT_NEAR(expected.postFadeOut, actual.postFadeOut, 1e-9);
    EXPECT_NEAR(expected.threshold, actual.threshold, 1e-9);
}

class PrefsWindowTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // The process-wide record and title settings outlive a test: start
        // each from this run's (empty) store, and give them back afterwards.
        m_rolls = currentEnvelopeTiming();
        m_titles = TitlesSettings::shared();
        currentEnvelopeTiming() = envelopeTimingFromSettings();
        TitlesSettings::shared() = TitlesSettings::load();
    }
    void TearDown() override {
        UiTest::TearDown();
        currentEnvelopeTiming() = m_rolls;
        TitlesSettings::shared() = m_titles;
    }

    // Made as the menu makes it; deleted with the other top-level widgets
    // when the test ends.
    PreferencesWindow* makePrefs() { return new PreferencesWindow; }

    // A user's drag: the slider jumps to a position and calls back.
    static void moveTo(quelvo::ui::SettingSlider* slider, double value) {
        slider->setValue(value);
        ASSERT_DOUBLE_EQ(value, slider->value());
    }

    // Opened the way the menu opens it: a panel window on its own.
    PreferencesWindow* openPanel() {
        auto* vc = new PreferencesWindow;
        vc->showPlaced();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(vc));
        return vc;
    }

  private:
    EnvelopeTiming m_rolls;
    TitlesSettings m_titles;
};

TEST_F(PrefsWindowTest, AFirstRunShowsTheDefaultsTheJobUses) {
    PreferencesWindow* vc = makePrefs();
    ASSERT_NE(nullptr, vc);
    EXPECT_DOUBLE_EQ(0.6, child<quelvo::ui::SettingSlider>(vc, "attackWindow")->value());
    EXPECT_DOUBLE_EQ(1.0, child<quelvo::ui::SettingSlider>(vc, "releaseWindow")->value());
    EXPECT_DOUBLE_EQ(0.3, child<quelvo::ui::SettingSlider>(vc, "attackPreRoll")->value());
    EXPECT_DOUBLE_EQ(0.3, child<quelvo::ui::SettingSlider>(vc, "releasePreRoll")->value());
    EXPECT_DOUBLE_EQ(-24.0, child<quelvo::ui::SettingSlider>(vc, "threshold")->value());
    // Times with one decimal, the threshold in whole decibels.
    EXPECT_EQ("0.6", child<QLabel>(vc, "attackWindowValue")->text().toStdString());
    EXPECT_EQ("1.0", child<QLabel>(vc, "releaseWindowValue")->text().toStdString());
    EXPECT_EQ("0.3", child<QLabel>(vc, "attackPreRollValue")->text().toStdString());
    EXPECT_EQ("0.3", child<QLabel>(vc, "releasePreRollValue")->text().toStdString());
    EXPECT_EQ("-24", child<QLabel>(vc, "thresholdValue")->text().toStdString());
    // The owners' defaults: the 10.6 form preferred, nothing remembered, files written.
    EXPECT_TRUE(child<quelvo::ui::CheckBox>(vc, "preferFcpxml19")->isChecked());
    EXPECT_FALSE(child<quelvo::ui::CheckBox>(vc, "rememberMyChoice")->isChecked());
    EXPECT_FALSE(child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->isChecked());
    // Showing the window stores nothing: a never-moved slider stays unwritten.
    EXPECT_FALSE(quelvo::SettingsStore::instance().value("duck.attackWindow").has_value());
    // What the sliders show is what a job started now would use.
    expectRolls(EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -24.0}, currentEnvelopeTiming());
}

TEST_F(PrefsWindowTest, TheSwitchesShowTheirOwnersStoredState) {
    quelvo::VersionQuestionSettings::shared().setPreferFcpxml19(false);
    quelvo::VersionQuestionSettings::shared().setRememberMyChoice(true);
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    PreferencesWindow* vc = makePrefs();
    EXPECT_FALSE(child<quelvo::ui::CheckBox>(vc, "preferFcpxml19")->isChecked());
    EXPECT_TRUE(child<quelvo::ui::CheckBox>(vc, "rememberMyChoice")->isChecked());
    EXPECT_TRUE(child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->isChecked());
}

TEST_F(PrefsWindowTest, StoredValuesComeBackInTheSliders) {
    quelvo::storeDouble("duck.attackWindow", 1.2);
    quelvo::storeDouble("duck.releasePreRoll", 0.5);
    quelvo::storeDouble("duck.threshold", -40);
    PreferencesWindow* vc = makePrefs();
    EXPECT_DOUBLE_EQ(1.2, child<quelvo::ui::SettingSlider>(vc, "attackWindow")->value());
    EXPECT_DOUBLE_EQ(0.5, child<quelvo::ui::SettingSlider>(vc, "releasePreRoll")->value());
    EXPECT_DOUBLE_EQ(-40, child<quelvo::ui::SettingSlider>(vc, "threshold")->value());
    EXPECT_EQ("-40", child<QLabel>(vc, "thresholdValue")->text().toStdString());
}

TEST_F(PrefsWindowTest, TheDetectionChoiceIsStoredAtOnceAndTheSliderServesOnlyTheFixedThreshold) {
    PreferencesWindow* vc = openPanel();
    ASSERT_NE(nullptr, vc);
    // A first run: the fixed threshold, its slider in use, nothing stored.
    EXPECT_TRUE(child<QRadioButton>(vc, "fixedThreshold")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(vc, "automaticDetection")->isChecked());
    EXPECT_TRUE(child<quelvo::ui::SettingSlider>(vc, "threshold")->isEnabled());
    EXPECT_FALSE(quelvo::SettingsStore::instance().value(kDetectionKey).has_value());

    // Clicked on its round button, at the left.
    const auto click = [](QRadioButton* choice) {
        QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(6, choice->height() / 2));
    };
    click(child<QRadioButton>(vc, "automaticDetection"));
    EXPECT_TRUE(child<QRadioButton>(vc, "automaticDetection")->isChecked());
    EXPECT_FALSE(child<quelvo::ui::SettingSlider>(vc, "threshold")->isEnabled());
    EXPECT_FALSE(child<QLabel>(vc, "thresholdValue")->isEnabled());
    EXPECT_EQ(currentEnvelopeTiming().detection, DetectionMode::automatic);
    EXPECT_EQ(quelvo::storedString(kDetectionKey, ""), "automatic");
    EXPECT_DOUBLE_EQ(-24.0, currentEnvelopeTiming().threshold)
        << "the threshold is kept for a later return";

    click(child<QRadioButton>(vc, "fixedThreshold"));
    EXPECT_TRUE(child<quelvo::ui::SettingSlider>(vc, "threshold")->isEnabled());
    EXPECT_EQ(currentEnvelopeTiming().detection, DetectionMode::threshold);
    EXPECT_EQ(quelvo::storedString(kDetectionKey, ""), "threshold");

    // A stored choice comes back with the window, and with the next start.
    click(child<QRadioButton>(vc, "automaticDetection"));
    PreferencesWindow* again = makePrefs();
    EXPECT_TRUE(child<QRadioButton>(again, "automaticDetection")->isChecked());
    EXPECT_FALSE(child<quelvo::ui::SettingSlider>(again, "threshold")->isEnabled());
    EXPECT_EQ(envelopeTimingFromSettings().detection, DetectionMode::automatic);
}

TEST_F(PrefsWindowTest, TimesRunFromZeroToThreeSecondsInTenthsAndTheThresholdFromMinus60To0) {
    PreferencesWindow* vc = makePrefs();
    for (quelvo::ui::SettingSlider* time :
         {child<quelvo::ui::SettingSlider>(vc, "attackWindow"),
          child<quelvo::ui::SettingSlider>(vc, "releaseWindow"),
          child<quelvo::ui::SettingSlider>(vc, "attackPreRoll"),
          child<quelvo::ui::SettingSlider>(vc, "releasePreRoll")}) {
        time->setValue(-1);
        EXPECT_DOUBLE_EQ(0.0, time->value());
        time->setValue(7);
        EXPECT_DOUBLE_EQ(3.0, time->value());
        time->setValue(1.0);
        time->setFocus();
        QTest::keyClick(time, Qt::Key_Right);
        EXPECT_DOUBLE_EQ(1.1, time->value()) << "one step is a tenth of a second";
        QTest::keyClick(time, Qt::Key_Left);
        QTest::keyClick(time, Qt::Key_Left);
        EXPECT_DOUBLE_EQ(0.9, time->value());
    }
    child<quelvo::ui::SettingSlider>(vc, "threshold")->setValue(-100);
    EXPECT_DOUBLE_EQ(-60.0, child<quelvo::ui::SettingSlider>(vc, "threshold")->value());
    child<quelvo::ui::SettingSlider>(vc, "threshold")->setValue(10);
    EXPECT_DOUBLE_EQ(0.0, child<quelvo::ui::SettingSlider>(vc, "threshold")->value());
    EXPECT_EQ("0", child<QLabel>(vc, "thresholdValue")->text().toStdString());
    child<quelvo::ui::SettingSlider>(vc, "threshold")->setValue(-30);
    child<quelvo::ui::SettingSlider>(vc, "threshold")->setFocus();
    QTest::keyClick(child<quelvo::ui::SettingSlider>(vc, "threshold"), Qt::Key_Left);
    EXPECT_DOUBLE_EQ(-31.0, child<quelvo::ui::SettingSlider>(vc, "threshold")->value())
        << "one step is a decibel";
}

TEST_F(PrefsWindowTest, TheAttackWindowChangesPostFadeInAtOnceWithoutOK) {
    PreferencesWindow* vc = openPanel();
    ASSERT_NE(nullptr, vc);
    ASSERT_DOUBLE_EQ(0.3, child<quelvo::ui::SettingSlider>(vc, "attackPreRoll")->value());
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 0.8);
    EXPECT_DOUBLE_EQ(0.5, currentEnvelopeTiming().postFadeIn);
    EXPECT_DOUBLE_EQ(0.3, currentEnvelopeTiming().preFadeIn);
    EXPECT_DOUBLE_EQ(0.8, quelvo::storedDouble("duck.attackWindow", 0));
    EXPECT_EQ("0.8", child<QLabel>(vc, "attackWindowValue")->text().toStdString());
    EXPECT_TRUE(vc->window()->isVisible()) << "nothing was pressed";
}

TEST_F(PrefsWindowTest, EachSliderWritesItsOwnFieldOfTheLiveTiming) {
    PreferencesWindow* vc = makePrefs();
    moveTo(child<quelvo::ui::SettingSlider>(vc, "releaseWindow"), 1.5);
    expectRolls(EnvelopeTiming{0.3, 0.3, 0.3, 1.2, -24.0}, currentEnvelopeTiming());
    moveTo(child<quelvo::ui::SettingSlider>(vc, "threshold"), -35);
    expectRolls(EnvelopeTiming{0.3, 0.3, 0.3, 1.2, -35.0}, currentEnvelopeTiming());
    EXPECT_DOUBLE_EQ(-35, quelvo::storedDouble("duck.threshold", 0));
    // A window below its pre-roll is accepted: the part after the edge goes negative.
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 0.1);
    EXPECT_NEAR(-0.2, currentEnvelopeTiming().postFadeIn, 1e-9);
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 0.3);
    EXPECT_DOUBLE_EQ(0.0, currentEnvelopeTiming().postFadeIn)
        << "ducked exactly at the start of speech";
}

TEST_F(PrefsWindowTest, APreRollMovesWhereItsFadeBeginsButLeavesItsPostFadeAlone) {
    PreferencesWindow* vc = makePrefs();
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackPreRoll"), 0.1);
    EXPECT_DOUBLE_EQ(0.1, currentEnvelopeTiming().preFadeIn);
    EXPECT_DOUBLE_EQ(0.3, currentEnvelopeTiming().postFadeIn) << "unchanged until the window moves";
    moveTo(child<quelvo::ui::SettingSlider>(vc, "releasePreRoll"), 0.5);
    EXPECT_DOUBLE_EQ(0.5, currentEnvelopeTiming().preFadeOut);
    EXPECT_DOUBLE_EQ(0.7, currentEnvelopeTiming().postFadeOut);
    EXPECT_DOUBLE_EQ(0.1, quelvo::storedDouble("duck.attackPreRoll", 0));

    // The next start rebuilds the record from the stored keys: window minus pre-roll.
    const EnvelopeTiming restarted = envelopeTimingFromSettings();
    EXPECT_DOUBLE_EQ(0.5, restarted.postFadeIn);
    EXPECT_DOUBLE_EQ(0.5, restarted.postFadeOut);

    // Moving the window brings the live record there within the run too.
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 0.7);
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 0.6);
    EXPECT_DOUBLE_EQ(0.5, currentEnvelopeTiming().postFadeIn);
}

TEST_F(PrefsWindowTest, TheVersionSwitchesWriteStraightIntoTheVersionPreferences) {
    PreferencesWindow* vc = makePrefs();
    auto& prefs = quelvo::VersionQuestionSettings::shared();
    child<quelvo::ui::CheckBox>(vc, "preferFcpxml19")->click();
    EXPECT_FALSE(prefs.preferFcpxml19());
    child<quelvo::ui::CheckBox>(vc, "rememberMyChoice")->click();
    EXPECT_TRUE(prefs.rememberMyChoice());
    child<quelvo::ui::CheckBox>(vc, "preferFcpxml19")->click();
    EXPECT_TRUE(prefs.preferFcpxml19());
    // Kept across a restart of the store.
    quelvo::SettingsStore::instance().reload();
    EXPECT_TRUE(prefs.preferFcpxml19());
    EXPECT_TRUE(prefs.rememberMyChoice());
}

TEST_F(PrefsWindowTest, TheSendSwitchSavesTheTitleSettingsAtOnceAndALaterStartShowsIt) {
    PreferencesWindow* vc = makePrefs();
    ASSERT_FALSE(child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->isChecked());
    // From the keyboard, as a user without a mouse switches it.
    child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->setFocus();
    QTest::keyClick(child<quelvo::ui::CheckBox>(vc, "sendWithoutFile"), Qt::Key_Space);
    EXPECT_TRUE(child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->isChecked());
    EXPECT_TRUE(TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile);

    // Stored already, with the rest of the record intact.
    const std::string stored = quelvo::storedString(kTitlesSettingsKey, "");
    const auto decoded = TitlesSettings::decodeText(stored);
    ASSERT_TRUE(decoded.has_value()) << stored;
    EXPECT_TRUE(decoded->xmlExport.sendToFCPWithoutXMLFile);
    EXPECT_EQ("Helvetica", decoded->font);

    // A later start: the store is read again from disk and the settings object
    // is made anew, and a new window shows the same state.
    quelvo::SettingsStore::instance().reload();
    const TitlesSettings restarted = TitlesSettings::load();
    EXPECT_TRUE(restarted.xmlExport.sendToFCPWithoutXMLFile);
    TitlesSettings::shared() = restarted;
    EXPECT_TRUE(child<quelvo::ui::CheckBox>(makePrefs(), "sendWithoutFile")->isChecked());

    // And back off.
    child<quelvo::ui::CheckBox>(vc, "sendWithoutFile")->click();
    quelvo::SettingsStore::instance().reload();
    EXPECT_FALSE(TitlesSettings::load().xmlExport.sendToFCPWithoutXMLFile);
}

TEST_F(PrefsWindowTest, OKOnlyClosesAndEveryChangeStays) {
    PreferencesWindow* vc = openPanel();
    ASSERT_NE(nullptr, vc);
    QPointer<QWidget> panel = vc->window();
    moveTo(child<quelvo::ui::SettingSlider>(vc, "releaseWindow"), 2.0);
    child<quelvo::ui::CheckBox>(vc, "rememberMyChoice")->click();
    const EnvelopeTiming before = currentEnvelopeTiming();
    const std::string storeBefore = readFile(quelvo::SettingsStore::instance().filePath());
    child<QPushButton>(vc, "ok")->click();
    processEvents();
    EXPECT_TRUE(panel.isNull()) << "the window is closed and gone";
    EXPECT_EQ(before, currentEnvelopeTiming());
    EXPECT_EQ(storeBefore, readFile(quelvo::SettingsStore::instance().filePath()))
        << "OK writes nothing";
    EXPECT_DOUBLE_EQ(2.0, quelvo::storedDouble("duck.releaseWindow", 0));
    EXPECT_TRUE(quelvo::VersionQuestionSettings::shared().rememberMyChoice());
}

TEST_F(PrefsWindowTest, ClosingWithoutOKKeepsEveryChange) {
    PreferencesWindow* vc = openPanel();
    ASSERT_NE(nullptr, vc);
    QPointer<QWidget> panel = vc->window();
    moveTo(child<quelvo::ui::SettingSlider>(vc, "attackWindow"), 1.0);
    moveTo(child<quelvo::ui::SettingSlider>(vc, "threshold"), -50);
    // Escape, then the window manager's close button on a second window.
    QTest::keyClick(panel, Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(panel.isNull());
    EXPECT_DOUBLE_EQ(0.7, currentEnvelopeTiming().postFadeIn);
    EXPECT_DOUBLE_EQ(-50, currentEnvelopeTiming().threshold);

    PreferencesWindow* again = openPanel();
    ASSERT_NE(nullptr, again);
    EXPECT_DOUBLE_EQ(1.0, child<quelvo::ui::SettingSlider>(again, "attackWindow")->value());
    EXPECT_DOUBLE_EQ(-50, child<quelvo::ui::SettingSlider>(again, "threshold")->value());
    QPointer<QWidget> second = again->window();
    second->close();
    processEvents();
    EXPECT_TRUE(second.isNull());
    EXPECT_DOUBLE_EQ(1.0, quelvo::storedDouble("duck.attackWindow", 0));
}

TEST_F(PrefsWindowTest, TabReachesEveryControlInOrderAndReturnCloses) {
    PreferencesWindow* vc = openPanel();
    ASSERT_NE(nullptr, vc);
    QWidget* panel = vc->window();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    child<quelvo::ui::SettingSlider>(vc, "attackWindow")->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> expected = {child<quelvo::ui::SettingSlider>(vc, "attackWindow"),
                                            child<quelvo::ui::SettingSlider>(vc, "attackPreRoll"),
                                            child<quelvo::ui::SettingSlider>(vc, "releaseWindow"),
                                            child<quelvo::ui::SettingSlider>(vc, "releasePreRoll"),
                                            child<QRadioButton>(vc, "automaticDetection"),
                                            child<quelvo::ui::SettingSlider>(vc, "threshold"),
                                            child<QWidget>(vc, "depthMode"),
                                            child<quelvo::ui::CheckBox>(vc, "preferFcpxml19"),
                                            child<quelvo::ui::CheckBox>(vc, "rememberMyChoice"),
                                            child<quelvo::ui::CheckBox>(vc, "sendWithoutFile"),
                                            child<QPushButton>(vc, "ok")};
    std::vector<QWidget*> reached{QApplication::focusWidget()};
    for (size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(expected, reached);

    // Return from a slider is OK: the window closes, the value stays.
    QPointer<QWidget> closing = panel;
    child<quelvo::ui::SettingSlider>(vc, "threshold")->setFocus();
    QTest::keyClick(child<quelvo::ui::SettingSlider>(vc, "threshold"), Qt::Key_Left);
    QTest::keyClick(child<quelvo::ui::SettingSlider>(vc, "threshold"), Qt::Key_Return);
    processEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_DOUBLE_EQ(-25, currentEnvelopeTiming().threshold);
}

} // namespace
} // namespace quelvo::test
