// `quelvo FILE…`: files given when the program starts land on the main window
// as if dropped there, dialogue first, then music, then filler.
#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/windows/main_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::MainWindow;

class OpenFilesTest : public UiTest {
  protected:
    void SetUp() override { UiTest::SetUp(); }
    TempDir dir;
};

TEST_F(OpenFilesTest, FilesArePlacedAsDialogueMusicAndFillerInThatOrder) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue, "Episode 12.wav");
    const std::string bed = copyRecording(dir, kMusic, "bed.WAV");
    const std::string pad = copyRecording(dir, kMusic, "pad.wav");

    EXPECT_TRUE(vc->placeFiles({talk, bed, pad}).empty());
    EXPECT_EQ(talk, vc->firstDialoguePath());
    EXPECT_EQ(bed, vc->musicPath());
    EXPECT_EQ(pad, vc->fillerPath());
    // Placed like a drop: captions, the project's name, the remembered filler.
    EXPECT_EQ("Episode 12.wav", vc->dialogueArea()->text().toStdString());
    EXPECT_EQ("bed.WAV", vc->musicArea()->text().toStdString());
    EXPECT_EQ("Episode 12", vc->projectNameField()->text().toStdString());
    EXPECT_EQ(pad, quelvo::storedString(MainWindow::kFillerKey, ""));
}

TEST_F(OpenFilesTest, FewerFilesLeaveTheLaterAreasAsTheyWere) {
    MainWindow* vc = showMainWindow();
    const std::string talk = copyRecording(dir, kDialogue);
    EXPECT_TRUE(vc->placeFiles({talk}).empty());
    EXPECT_EQ(talk, vc->firstDialoguePath());
    EXPECT_EQ("", vc->musicPath());
    EXPECT_EQ("Drag Here", vc->musicArea()->text().toStdString());
    EXPECT_TRUE(vc->placeFiles({}).empty());
}

TEST_F(OpenFilesTest, FilesQuelvoCannotReadAndFilesBeyondTheThirdAreHandedBack) {
    MainWindow* vc = showMainWindow();
    const std::string notes = (dir / "notes.txt").string();
    writeFile(notes, "not audio");
    const std::string bed = copyRecording(dir, kMusic, "bed.wav");
    const std::string pad = copyRecording(dir, kMusic, "pad.wav");
    const std::string extra = copyRecording(dir, kMusic, "extra.wav");

    // The text file keeps its place: the music is still the second file.
    const auto refused = vc->placeFiles({notes, bed, pad, extra});
    EXPECT_EQ((std::vector<std::string>{notes, extra}), refused);
    EXPECT_EQ("", vc->firstDialoguePath());
    EXPECT_EQ("Drag Here", vc->dialogueArea()->text().toStdString());
    EXPECT_EQ(bed, vc->musicPath());
    EXPECT_EQ(pad, vc->fillerPath());
}

} // namespace
} // namespace quelvo::test
