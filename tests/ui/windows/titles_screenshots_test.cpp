// Pictures of the titles window with a subtitle file and a video, the patch
// off and on, for looking at by eye: run tests/ui/take_screenshots.sh (with
// QT_SCALE_FACTOR=2 for the 200 % pictures). Without QUELVO_SCREENSHOT_DIR
// the test skips.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "base/settings_store.h"
#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/title_preview.h"
#include "ui/windows/titles_style_panel.h"
#include "ui/windows/titles_table_model.h"
#include "ui/windows/titles_window.h"

namespace quelvo::test {
namespace {

class TitlesScreenshots : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_dir = qEnvironmentVariable("QUELVO_SCREENSHOT_DIR");
        if (m_dir.isEmpty())
            GTEST_SKIP() << "set QUELVO_SCREENSHOT_DIR (see tests/ui/take_screenshots.sh)";
        m_saved = TitlesSettings::shared();
        TitlesSettings::shared() = TitlesSettings::load();
        QDir().mkpath(m_dir);
    }
    void TearDown() override {
        delegate.reset();
        UiTest::TearDown();
        if (!m_dir.isEmpty()) TitlesSettings::shared() = m_saved;
    }
    void shoot(const QString& name) {
        for (int i = 0; i < 5; ++i) {
            processEvents();
            QTest::qWait(100);
        }
        const QString path = m_dir + "/" + name + ".png";
        EXPECT_EQ(0, QProcess::execute("import", {"-window", "root", path})) << path.toStdString();
    }
    std::unique_ptr<quelvo::ui::DesktopApp> delegate;

  private:
    QString m_dir;
    TitlesSettings m_saved;
};

TEST_F(TitlesScreenshots, TheTitlesWindowWithAVideo) {
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* main = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    main->hide(); // the titles window alone on the screen
    quelvo::ui::TitlesWindow* vc = delegate->newTitlesWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(vc));
    vc->move(20, 20);
    TempDir dir;
    fs::copy_file(testDataDir() / "srt" / "multiline.srt", dir / "interview.srt");
    ASSERT_TRUE(
        dropFiles(vc->subtitleDrop(), {QString::fromStdString((dir / "interview.srt").string())}));
    ASSERT_TRUE(dropFiles(
        vc->videoDrop(),
        {QString::fromStdString((testDataDir() / "video" / "clip_25fps_tc1h.mov").string())}));
    ASSERT_TRUE(waitUntil([vc] { return !vc->videoInfo()->text().isEmpty(); }));
    vc->stylePanel()->shadowOn()->click();
    ASSERT_TRUE(waitUntil([vc] { return !vc->preview()->background().isNull(); }));
    shoot("titles_patch_off");
    vc->stylePanel()->patchOn()->click();
    shoot("titles_patch_on");
    // The lower groups of the style column.
    auto* scroll = vc->findChild<QScrollArea*>();
    ASSERT_NE(nullptr, scroll);
    scroll->ensureWidgetVisible(vc->stylePanel()->frameHeight());
    shoot("titles_style_lower_groups");
}

// Where the program puts a titles window opened over the main window.
TEST_F(TitlesScreenshots, ATitlesWindowOpensInsideTheScreen) {
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* main = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    quelvo::ui::TitlesWindow* vc = delegate->newTitlesWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(vc));
    TempDir dir;
    fs::copy_file(testDataDir() / "srt" / "multiline.srt", dir / "interview.srt");
    ASSERT_TRUE(
        dropFiles(vc->subtitleDrop(), {QString::fromStdString((dir / "interview.srt").string())}));
    shoot("titles_opened_over_main");
}

// A cue too quick to read, marked in the table with its reason showing.
TEST_F(TitlesScreenshots, TheTitlesWindowMarksATooFastCue) {
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    quelvo::ui::MainWindow* main = delegate->launch();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    main->hide();
    quelvo::ui::TitlesWindow* vc = delegate->newTitlesWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(vc));
    vc->move(20, 20);
    TempDir dir;
    writeFile(
        dir / "interview.srt",
        "1\n00:00:01,000 --> 00:00:03,000\nA calm first line.\n\n"
        "2\n00:00:04,000 --> 00:00:04,600\nThis one says far too much\nfor the moment it has.\n\n"
        "3\n00:00:06,000 --> 00:00:08,000\n<i>Calm again.</i>\n");
    ASSERT_TRUE(
        dropFiles(vc->subtitleDrop(), {QString::fromStdString((dir / "interview.srt").string())}));
    vc->outputChoice()->setCurrentIndex(vc->outputChoice()->findData("captions"));
    vc->selectRow(2); // the marked row shows its tint, not the selection's colour
    const QModelIndex cell = vc->model()->index(1, quelvo::ui::TitlesTableModel::kText);
    const QPoint at = vc->table()->viewport()->mapToGlobal(vc->table()->visualRect(cell).center());
    QToolTip::showText(at, cell.data(Qt::ToolTipRole).toString(), vc->table()->viewport());
    shoot("titles_too_fast_cue");
}

} // namespace
} // namespace quelvo::test
