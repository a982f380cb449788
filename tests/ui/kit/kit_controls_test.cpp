// The toolkit's controls on their own: sliders that keep their setting,
// check buttons, text fields, drop areas, timers and the text setter.
#include <thread>

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "base/services.h"
#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/kit/check_box.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/label_status_sink.h"
#include "ui/kit/repeating_timer.h"
#include "ui/kit/setting_slider.h"
#include "ui/kit/text_field.h"

namespace quelvo::test {
namespace {

using quelvo::ui::CheckBox;
using quelvo::ui::FileDropArea;
using quelvo::ui::SettingSlider;
using quelvo::ui::TextField;

TEST(SettingSliderTest, StartsFromItsDefaultWhenNothingIsStored) {
    SettingSlider slider;
    QLabel label;
    slider.setRange(0, 3);
    slider.configure(&label, 0.6, "duck.attackWindow", 1, nullptr);
    EXPECT_DOUBLE_EQ(0.6, slider.value());
    EXPECT_EQ("0.6", label.text().toStdString());
    EXPECT_FALSE(quelvo::SettingsStore::instance().value("duck.attackWindow").has_value())
        << "configuring stores nothing";
}

TEST(SettingSliderTest, StartsFromTheStoredValue) {
    quelvo::storeDouble("duck.threshold", -31);
    SettingSlider slider;
    QLabel label;
    slider.setRange(-60, 0);
    slider.configure(&label, -24.0, "duck.threshold", 0, nullptr);
    EXPECT_EQ(-31.0, slider.value());
    EXPECT_EQ("-31", label.text().toStdString());
}

TEST(SettingSliderTest, StoresEveryChangeShowsItAndCallsBack) {
    SettingSlider slider;
    QLabel label;
    slider.setRange(0, 3);
    std::vector<double> seen;
    slider.configure(&label, 0.3, "duck.attackPreRoll", 1, [&](double v) { seen.push_back(v); });
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Right);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ((std::vector<double>{0.4, 0.5}), seen);
    EXPECT_DOUBLE_EQ(0.5, quelvo::storedDouble("duck.attackPreRoll", 0));
    EXPECT_EQ("0.5", label.text().toStdString());
}

TEST(SettingSliderTest, KeepsValuesInsideItsRange) {
    quelvo::storeDouble("duck.decrease", -90);
    SettingSlider slider;
    QLabel label;
    slider.setRange(-60, 0);
    slider.configure(&label, -12.0, "duck.decrease", 0, nullptr);
    EXPECT_EQ(-60.0, slider.value());
    slider.setValue(3);
    EXPECT_EQ(0.0, slider.value());
    EXPECT_EQ("0", label.text().toStdString()) << "never \"-0\"";
}

TEST(SettingSliderTest, LabelIsWideEnoughForEveryValue) {
    SettingSlider slider;
    QLabel label;
    slider.setRange(-30, 12);
    slider.setShowsPlusSign(true);
    slider.configure(&label, 0.0, "duck.overallMusicLevel", 0, nullptr);
    EXPECT_GE(label.minimumWidth(), label.fontMetrics().horizontalAdvance("-30"));
    EXPECT_EQ("+12", slider.format(12).toStdString());
    EXPECT_EQ("-30", slider.format(-30).toStdString());
}

TEST(CheckBoxTest, CallsBackOnClicksButNotWhenConfigured) {
    CheckBox check("Remember");
    std::vector<bool> seen;
    check.configure(true, [&](bool on) { seen.push_back(on); });
    EXPECT_TRUE(check.isChecked());
    EXPECT_TRUE(seen.empty());
    check.click();
    check.click();
    EXPECT_EQ((std::vector<bool>{false, true}), seen);
}

TEST(TextFieldTest, CallsBackOnEveryEdit) {
    TextField field;
    std::vector<std::string> seen;
    field.configure("mus", true, false, [&](const std::string& t) { seen.push_back(t); });
    EXPECT_TRUE(seen.empty());
    field.end(false);
    QTest::keyClicks(&field, "ic");
    EXPECT_EQ((std::vector<std::string>{"musi", "music"}), seen);
}

TEST(TextFieldTest, FlagsMakeItReadOnlyOrReportOnlyFinishedEdits) {
    TextField field;
    std::vector<std::string> seen;
    field.configure("", true, true, [&](const std::string& t) { seen.push_back(t); });
    QTest::keyClicks(&field, "sfx");
    EXPECT_TRUE(seen.empty());
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ((std::vector<std::string>{"sfx"}), seen);
    field.configure("fixed", false, false, nullptr);
    EXPECT_TRUE(field.isReadOnly());
}

class FileDropAreaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        area.acceptedExtensions = {"wav", "mp3"};
        area.dropMode = FileDropArea::kFilesOnly;
        area.setText("Drag Here");
        area.onDrop = [this](const std::vector<std::string>& p) { drops.push_back(p); };
        area.resize(300, 200);
    }
    std::string file(const std::string& name) {
        const std::string p = (dir / name).string();
        writeFile(p, "x");
        return p;
    }
    TempDir dir;
    FileDropArea area;
    std::vector<std::vector<std::string>> drops;
};

TEST_F(FileDropAreaTest, HandsOverTheAcceptedFilesInOrderAndShowsTheFirstName) {
    const std::string a = file("b-roll.MP3"), b = file("notes.txt"), c = file("take.Wav");
    ASSERT_TRUE(dropFiles(
        &area, {QString::fromStdString(a), QString::fromStdString(b), QString::fromStdString(c)}));
    ASSERT_EQ(1u, drops.size());
    EXPECT_EQ((std::vector<std::string>{a, c}), drops[0]);
    EXPECT_EQ("b-roll.MP3", area.text().toStdString());
    EXPECT_EQ(a, area.toolTip().toStdString());
}

TEST_F(FileDropAreaTest, RefusesDragsWithoutAnAcceptedFile) {
    const std::string b = file("notes.txt");
    fs::create_directory(dir / "folder.wav");
    EXPECT_FALSE(dropFiles(&area, {QString::fromStdString(b)}));
    EXPECT_FALSE(dropFiles(&area, {QString::fromStdString((dir / "folder.wav").string())}));
    EXPECT_TRUE(drops.empty());
    EXPECT_EQ("Drag Here", area.text().toStdString());
}

TEST_F(FileDropAreaTest, AnEmptyListAcceptsAnyFile) {
    area.acceptedExtensions.clear();
    const std::string b = file("notes.txt");
    EXPECT_TRUE(dropFiles(&area, {QString::fromStdString(b)}));
    EXPECT_EQ(1u, drops.size());
}

TEST(RepeatingTimerTest, RepeatsOnTheGuiThread) {
    quelvo::ui::RepeatingTimer timer;
    int calls = 0;
    bool onMain = true;
    timer.loop("test", 0.01, std::nullopt, false, [&] {
        ++calls;
        onMain = onMain && QThread::currentThread() == qApp->thread();
    });
    QSignalSpy fired(&timer, &quelvo::ui::RepeatingTimer::fired);
    ASSERT_TRUE(waitUntil([&] { return fired.count() >= 3; }));
    EXPECT_GE(calls, 3);
    EXPECT_TRUE(onMain);
    timer.stop();
    EXPECT_FALSE(timer.isActive());
}

TEST(RepeatingTimerTest, TriggerImmediatelyCallsBeforeTheFirstInterval) {
    quelvo::ui::RepeatingTimer timer;
    int calls = 0;
    timer.loop("now", 3600, std::nullopt, true, [&] { ++calls; });
    processEvents();
    EXPECT_EQ(1, calls);
    EXPECT_EQ(3600 * 1000, timer.intervalMs());
}

TEST(TextSetterTest, TextFromAWorkerShowsOnTheGuiThread) {
    QLabel label;
    quelvo::ui::LabelStatusSink sink(&label);
    std::thread([&] { quelvo::showStatus(&sink, "Getting Audio Metadata..."); }).join();
    EXPECT_TRUE(label.text().isEmpty()) << "a worker never touches the widget itself";
    processEvents();
    EXPECT_EQ("Getting Audio Metadata...", label.text().toStdString());
    // On the GUI thread the text shows at once.
    quelvo::showStatus(&sink, "Analyzing Speaker Clusters...");
    EXPECT_EQ("Analyzing Speaker Clusters...", label.text().toStdString());
}

TEST(TextSetterTest, TextForALabelThatWentAwayIsDropped) {
    auto* label = new QLabel;
    quelvo::ui::LabelStatusSink sink(label);
    std::thread([&] { sink.setStatus("late"); }).join();
    delete label;
    processEvents(); // must not touch the deleted label
    sink.setStatus("later");
    SUCCEED();
}

} // namespace
} // namespace quelvo::test
