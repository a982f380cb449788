// The titles window, driven as an editor drives it: from the File menu to an
// exported project that is the command line's to the byte, settings that are
// stored at once and reach every window and a fresh settings object, presets
// that come back as saved, and a file read again in another encoding.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QWheelEvent>

#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_window.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/result_line.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_presets_bar.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "ui/windows/titles_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::TitlesWindow;

class TitlesWindowTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // The process-wide settings outlive a test: each starts from this
        // run's empty store and gives them back afterwards.
        m_saved = TitlesSettings::shared();
        TitlesSettings::shared() = TitlesSettings::load();
    }
    void TearDown() override {
        delegate.reset();
        UiTest::TearDown();
        TitlesSettings::shared() = m_saved;
    }

    // Opened from the File menu, as an editor opens it.
    TitlesWindow* openTitles() {
        if (!delegate) {
            delegate = std::make_unique<quelvo::ui::DesktopApp>();
            delegate->launch();
        }
        delegate->newTitlesAction()->trigger();
        TitlesWindow* vc = delegate->titlesWindows().last();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(vc));
        EXPECT_TRUE(waitUntil([vc] { return vc->watchesFiles(); }));
        return vc;
    }

    std::string copySrt(const TempDir& dir, const std::string& name, const std::string& as) {
        const fs::path target = dir / as;
        fs::copy_file(testDataDir() / "srt" / name, target);
        return target.string();
    }

    static QString cell(TitlesWindow* vc, int row, int column) {
        return vc->model()->index(row, column).data().toString();
    }

    std::unique_ptr<quelvo::ui::DesktopApp> delegate;

  private:
    TitlesSettings m_saved;
};

TEST_F(TitlesWindowTest, FromTheMenuToTheSameDocumentAsTheCommandLine) {
    TempDir dir;
    const std::string srt = copySrt(dir, "overlapping.srt", "interview.srt");
    const std::string video = (testDataDir() / "video" / "clip_25fps_tc1h.mov").string();
    TitlesWindow* vc = openTitles();
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_T), delegate->newTitlesAction()->shortcut());

    ASSERT_TRUE(dropFiles(vc->subtitleDrop(), {QString::fromStdString(srt)}));
    ASSERT_TRUE(dropFiles(vc->videoDrop(), {QString::fromStdString(video)}));
    EXPECT_FALSE(dropFiles(vc->subtitleDrop(), {QString::fromStdString(video)}))
        << "a video is no subtitle file";
    ASSERT_TRUE(waitUntil([vc] { return !vc->videoInfo()->text().isEmpty(); }));
    EXPECT_TRUE(vc->videoInfo()->text().startsWith("Video Duration: "))
        << vc->videoInfo()->text().toStdString();
    EXPECT_EQ("3 titles, to 00:00:04.000", vc->subtitleInfo()->text().toStdString());
    EXPECT_EQ("Encoding: UTF-8", vc->encodingButton()->text().toStdString());

    // The table as the project holds it: overlapping titles on lanes of their own.
    ASSERT_EQ(3, vc->model()->rowCount());
    EXPECT_EQ("1", cell(vc, 0, quelvo::ui::TitlesTableModel::kNumber).toStdString());
    // Timecode at the video's 25 fps (1.5 s is frame 37.5, placed on 38),
    // the subtitle file's milliseconds in the tooltip.
    EXPECT_EQ("00:00:01:13", cell(vc, 1, quelvo::ui::TitlesTableModel::kStart).toStdString());
    EXPECT_EQ("00:00:01.500", vc->model()
                                  ->index(1, quelvo::ui::TitlesTableModel::kStart)
                                  .data(Qt::ToolTipRole)
                                  .toString()
                                  .toStdString());
    EXPECT_EQ("2", cell(vc, 1, quelvo::ui::TitlesTableModel::kLane).toStdString());
    EXPECT_EQ("overlaps the next title",
              cell(vc, 0, quelvo::ui::TitlesTableModel::kChanged).toStdString());
    // Overlaps avoided: one lane, the first title cut a frame before the second.
    vc->stylePanel()->avoidOverlap()->click();
    EXPECT_EQ("1", cell(vc, 1, quelvo::ui::TitlesTableModel::kLane).toStdString());
    EXPECT_EQ("shortened to end before the next title",
              cell(vc, 0, quelvo::ui::TitlesTableModel::kChanged).toStdString());
    vc->stylePanel()->minDuration()->setValue(2.5);
    EXPECT_NE(cell(vc, 2, quelvo::ui::TitlesTableModel::kChanged)
                  .indexOf("raised to the minimum duration"),
              -1);
    EXPECT_FALSE(vc->tableNotes()->text().isEmpty());

    // Selecting a row puts that title in the preview, over the video's frame.
    vc->selectRow(1);
    EXPECT_EQ("Second starts early.", vc->preview()->text().toStdString());
    ASSERT_TRUE(waitUntil([vc] { return !vc->preview()->background().isNull(); }));
    EXPECT_FALSE(vc->preview()->toolTip().isEmpty());

    // The preview follows the controls at once.
    const QImage plain = vc->preview()->grab().toImage();
    vc->stylePanel()->patchOn()->click();
    EXPECT_NE(plain, vc->preview()->grab().toImage()) << "the patch shows";
    vc->stylePanel()->fontSize()->setValue(48);
    vc->versionChoice()->setCurrentIndex(vc->versionChoice()->findData("1.9"));
    vc->exportButton()->click();
    ASSERT_TRUE(
        waitUntil([vc] { return !vc->isExporting() && !vc->resultLine()->path().isEmpty(); }));
    const fs::path written = dir / "interview.fcpxml";
    EXPECT_EQ(written.string(), vc->resultLine()->path().toStdString());
    EXPECT_TRUE(vc->resultLine()->showInFolderButton()->isVisibleTo(vc));
    EXPECT_TRUE(vc->resultLine()->openButton()->isVisibleTo(vc));
    const std::string fromWindow = readFile(written);
    EXPECT_NE(fromWindow.find("fontSize=\"48\""), std::string::npos);
    EXPECT_VALID_FCPXML(fromWindow, "1.9");

    // The command line reads the stored settings and writes the same bytes.
    const auto cli =
        runProgram({(binDir() / "quelvo-cli").string(), "titles", srt, "--video", video, "--format",
                    "1.9", "--output", (dir / "cli.fcpxml").string()});
    ASSERT_EQ(0, cli.exitCode) << cli.err;
    EXPECT_EQ(readFile(dir / "cli.fcpxml"), fromWindow);

    // Exporting again asks before replacing; Cancel leaves the file alone.
    fs::remove(dir / "cli.fcpxml");
    alerts.answers = {0};
    vc->exportButton()->click();
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("\"interview.fcpxml\" already exists.\nDo you want to replace it?",
              alerts.shown[0].informativeText);
    EXPECT_EQ((std::vector<std::string>{"Cancel", "Replace"}), alerts.shown[0].buttons);
    EXPECT_FALSE(vc->isExporting());
    alerts.answers = {1};
    vc->stylePanel()->patchOn()->click();
    vc->exportButton()->click();
    ASSERT_TRUE(waitUntil([vc] { return !vc->isExporting(); }));
    EXPECT_NE(readFile(written), fromWindow) << "replaced without the patch";
}

TEST_F(TitlesWindowTest, AChangeIsStoredAtOnceAndSeenEverywhere) {
    TitlesWindow* first = openTitles();
    TitlesWindow* second = openTitles();
    ASSERT_NE(first, second);
    first->stylePanel()->fontSize()->setValue(77);
    first->stylePanel()->shadowOn()->click();
    first->stylePanel()->shadowAngle()->setValue(45);
    first->stylePanel()->patchHeight()->setValue(20);
    first->stylePanel()->frameRate()->setCurrentIndex(
        first->stylePanel()->frameRate()->findData(25.0));
    first->stylePanel()->strokeOn()->click(); // off: no stroke is a width of 0
    const TitlesSettings fresh = TitlesSettings::load();
    EXPECT_EQ(77, fresh.size);
    EXPECT_TRUE(fresh.shadow.enable);
    EXPECT_DOUBLE_EQ(45, fresh.shadow.angle);
    EXPECT_DOUBLE_EQ(0.2, fresh.patch->vSize);
    EXPECT_EQ(25.0, fresh.timeLineFPS.value_or(0));
    EXPECT_DOUBLE_EQ(0, fresh.strokeWidth);
    EXPECT_EQ(TitlesSettings::shared(), fresh);
    // The other window shows it without being touched.
    EXPECT_EQ(77, second->stylePanel()->fontSize()->value());
    EXPECT_TRUE(second->stylePanel()->shadowOn()->isChecked());
    EXPECT_FALSE(second->stylePanel()->strokeOn()->isChecked());
    EXPECT_FALSE(second->stylePanel()->strokeWidth()->isEnabled());
    // The stroke comes back with the width it had.
    second->stylePanel()->strokeOn()->click();
    EXPECT_DOUBLE_EQ(2.0, TitlesSettings::load().strokeWidth);
    // Window choices are not settings fields.
    first->versionChoice()->setCurrentIndex(first->versionChoice()->findData("1.6"));
    EXPECT_EQ("1.6", quelvo::storedString(TitlesWindow::kVersionKey, ""));
}

// Ten notches with the pointer over the field column scroll the panel and
// change nothing; a focused field takes the wheel. Tab leaves the table.
TEST_F(TitlesWindowTest, TheWheelScrollsTheStylePanelAndTabLeavesTheTable) {
    TempDir dir;
    TitlesWindow* vc = openTitles();
    QWidget* w = vc->window();
    w->resize(w->width(), w->minimumSizeHint().height());
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    auto* scroll = qobject_cast<QScrollArea*>(vc->stylePanel()->parentWidget()->parentWidget());
    ASSERT_NE(nullptr, scroll);
    ASSERT_GT(scroll->verticalScrollBar()->maximum(), 0) << "the panel scrolls at this height";
    const auto wheel = [](QWidget* over, int notches) {
        for (int i = 0; i < notches; ++i) {
            const QPointF at(over->width() / 2.0, over->height() / 2.0);
            QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(over, &event);
        }
    };
    const TitlesSettings stored = TitlesSettings::load();
    const int aligned = vc->stylePanel()->alignment()->currentIndex();
    vc->table()->setFocus();
    wheel(vc->stylePanel()->strokeWidth(), 5);
    wheel(vc->stylePanel()->alignment(), 5);
    EXPECT_DOUBLE_EQ(2.0, vc->stylePanel()->strokeWidth()->value());
    EXPECT_EQ(aligned, vc->stylePanel()->alignment()->currentIndex());
    EXPECT_GT(scroll->verticalScrollBar()->value(), 0);
    EXPECT_EQ(stored, TitlesSettings::load()) << "nothing stored";
    vc->stylePanel()->strokeWidth()->setFocus();
    wheel(vc->stylePanel()->strokeWidth(), 1);
    EXPECT_NE(2.0, vc->stylePanel()->strokeWidth()->value());

    ASSERT_TRUE(dropFiles(vc->subtitleDrop(),
                          {QString::fromStdString(copySrt(dir, "overlapping.srt", "talk.srt"))}));
    vc->table()->setFocus();
    QTest::keyClick(vc->table(), Qt::Key_Down);
    EXPECT_EQ(1, vc->selectedRow()) << "the arrows move within the table";
    QTest::keyClick(vc->table(), Qt::Key_Tab);
    EXPECT_FALSE(vc->table()->isAncestorOf(QApplication::focusWidget()) ||
                 QApplication::focusWidget() == vc->table());
}

TEST_F(TitlesWindowTest, APresetComesBackAsSaved) {
    TitlesWindow* vc = openTitles();
    vc->stylePanel()->fontSize()->setValue(99);
    vc->stylePanel()->patchOn()->click();
    TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile = true;
    // A preset holds the stored form of the settings.
    const TitlesSettings mine =
        TitlesSettings::decodeText(TitlesSettings::shared().encodeToString()).value();
    ASSERT_TRUE(vc->presetsBar()->savePreset("Festival"));

    ASSERT_TRUE(vc->presetsBar()->loadPreset("Social video captions"));
    EXPECT_EQ(90, vc->stylePanel()->fontSize()->value());
    EXPECT_EQ(90, TitlesSettings::load().size) << "a loaded preset is stored at once";
    EXPECT_TRUE(TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile)
        << "what happens after an export is no part of a look";
    ASSERT_TRUE(vc->presetsBar()->loadPreset("Default"));
    EXPECT_EQ(60, vc->stylePanel()->fontSize()->value());

    // A new window lists it, and loading it gives the settings back whole.
    TitlesWindow* other = openTitles();
    EXPECT_NE(-1, other->presetsBar()->presetChoice()->findText("Festival"));
    ASSERT_TRUE(other->presetsBar()->loadPreset("Festival"));
    EXPECT_EQ(mine, TitlesSettings::shared());
    EXPECT_TRUE(vc->stylePanel()->patchOn()->isChecked());
    EXPECT_FALSE(other->presetsBar()->loadPreset("No such preset"));
}

TEST_F(TitlesWindowTest, ReadingInAnotherEncodingChangesTheTable) {
    TempDir dir;
    TitlesWindow* vc = openTitles();
    vc->setSubtitleFile(copySrt(dir, "windows1250.srt", "czech.srt"));
    EXPECT_EQ("Encoding: WINDOWS-1250", vc->encodingButton()->text().toStdString());
    ASSERT_EQ(2, vc->model()->rowCount());
    EXPECT_EQ("Příliš žluťoučký kůň",
              cell(vc, 0, quelvo::ui::TitlesTableModel::kText).toStdString());

    vc->readInEncoding("ISO-8859-1");
    EXPECT_EQ("Encoding: ISO-8859-1", vc->encodingButton()->text().toStdString());
    ASSERT_EQ(2, vc->model()->rowCount());
    EXPECT_NE("Příliš žluťoučký kůň",
              cell(vc, 0, quelvo::ui::TitlesTableModel::kText).toStdString());

    vc->readInEncoding("UTF-8");
    EXPECT_EQ(0, vc->model()->rowCount());
    EXPECT_EQ("No subtitles could be read: it is not text in UTF-8",
              vc->subtitleInfo()->text().toStdString());
    EXPECT_FALSE(vc->exportButton()->isEnabled());

    vc->readInEncoding("");
    EXPECT_EQ("Encoding: WINDOWS-1250", vc->encodingButton()->text().toStdString());
    EXPECT_EQ(2, vc->model()->rowCount());
    EXPECT_TRUE(vc->skippedNote()->isHidden());
    // A broken block is skipped, said under the table, and the rest is read.
    vc->setSubtitleFile(copySrt(dir, "broken_third.srt", "broken.srt"));
    EXPECT_EQ(3, vc->model()->rowCount());
    EXPECT_FALSE(vc->skippedNote()->isHidden());
    EXPECT_TRUE(vc->skippedNote()->text().startsWith("Skipped 1 broken subtitle block"))
        << vc->skippedNote()->text().toStdString();
    // A parse setting reads the file again: tags kept or removed.
    vc->setSubtitleFile(copySrt(dir, "tags.srt", "tags.srt"));
    const QString stripped = cell(vc, 0, quelvo::ui::TitlesTableModel::kText);
    vc->stylePanel()->ignoreI()->click();
    EXPECT_NE(stripped, cell(vc, 0, quelvo::ui::TitlesTableModel::kText));
}

TEST_F(TitlesWindowTest, QuittingAsksWhileAnExportRunsAndHelpExplainsTheWindow) {
    // A feature film's worth of subtitles keeps the export busy for a while.
    TempDir dir;
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        const int s = 2 + i * 4;
        char block[160];
        std::snprintf(block, sizeof block,
                      "%d\n%02d:%02d:%02d,000 --> %02d:%02d:%02d,500\nLine %d\nand another\n\n",
                      i + 1, s / 3600, s / 60 % 60, s % 60, (s + 3) / 3600, (s + 3) / 60 % 60,
                      (s + 3) % 60, i + 1);
        text += block;
    }
    writeFile(dir / "film.srt", text);
    TitlesWindow* vc = openTitles();
    vc->setSubtitleFile((dir / "film.srt").string());
    ASSERT_EQ(3000, vc->model()->rowCount());
    // The user's guide has a part on titles.
    delegate->helpAction()->trigger();
    ASSERT_NE(nullptr, delegate->helpWindow());
    const QString help = child<QTextBrowser>(delegate->helpWindow(), "text")->toPlainText();
    EXPECT_TRUE(help.contains("New Titles Project")) << help.toStdString();
    EXPECT_TRUE(help.contains("--encoding"));
    delegate->helpWindow()->close();

    QSignalSpy terminating(delegate.get(), &quelvo::ui::DesktopApp::terminating);

    vc->exportButton()->click();
    ASSERT_TRUE(vc->isExporting());
    EXPECT_EQ(1, TitlesWindow::exportsRunning());
    alerts.answers = {0}; // Cancel
    delegate->mainWindow()->close();
    ASSERT_EQ(1u, alerts.shown.size());
    EXPECT_EQ("A titles project is still being written.\nQuit anyway?",
              alerts.shown[0].informativeText);
    EXPECT_TRUE(delegate->mainWindow()->isVisible());
    EXPECT_EQ(0, terminating.count());
    ASSERT_TRUE(waitUntil([vc] { return !vc->isExporting(); }));
    EXPECT_EQ(0, TitlesWindow::exportsRunning());
    EXPECT_TRUE(fs::exists(dir / "film.fcpxml"));
    // With nothing running the main window closes at once, titles windows with it.
    delegate->mainWindow()->close();
    EXPECT_EQ(1u, alerts.shown.size());
    EXPECT_EQ(1, terminating.count());
    processEvents();
    EXPECT_TRUE(delegate->titlesWindows().isEmpty());
}

} // namespace
} // namespace quelvo::test
