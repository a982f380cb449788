// The titles window's captions choice and reading checks, driven as an
// editor drives them: a too-fast cue is marked with its reason, "show only"
// hides the others, and captions export a 1.9 document whatever the version
// choice said.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "support/ui_test_support.h"
#include "titles/titles_settings.h"
#include "ui/app/desktop_app.h"
#include "ui/kit/file_drop_area.h"
#include "ui/kit/text_field.h"
#include "ui/kit/window_title.h"
#include "ui/windows/result_line.h"
#include "ui/windows/titles_table_model.h"
#include "ui/windows/titles_window.h"

namespace quelvo::test {
namespace {

using quelvo::ui::TitlesTableModel;

// Three cues, the second far too quick to read.
const char* const kSrt =
    "1\n00:00:01,000 --> 00:00:03,000\nA calm line.\n\n"
    "2\n00:00:04,000 --> 00:00:04,600\nThis one says far too much for its moment.\n\n"
    "3\n00:00:06,000 --> 00:00:08,000\n<i>Calm again.</i>\n";

class TitlesChecksWindowTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        m_saved = TitlesSettings::shared();
        TitlesSettings::shared() = TitlesSettings::load();
    }
    void TearDown() override {
        delegate.reset();
        UiTest::TearDown();
        TitlesSettings::shared() = m_saved;
    }
    std::unique_ptr<quelvo::ui::DesktopApp> delegate;

  private:
    TitlesSettings m_saved;
};

TEST_F(TitlesChecksWindowTest, MarksHardToReadCuesFiltersThemAndExportsCaptions) {
    TempDir dir;
    writeFile(dir / "quick.srt", kSrt);
    delegate = std::make_unique<quelvo::ui::DesktopApp>();
    delegate->launch();
    delegate->newTitlesAction()->trigger();
    auto* vc = delegate->titlesWindows().last();
    ASSERT_TRUE(
        dropFiles(vc->subtitleDrop(), {QString::fromStdString((dir / "quick.srt").string())}));
    ASSERT_EQ(3, vc->model()->rowCount());

    // Only the quick cue is marked, its reason in every cell's tooltip.
    const auto tip = [vc](int row, int column) {
        return vc->model()->index(row, column).data(Qt::ToolTipRole).toString().toStdString();
    };
    EXPECT_NE(tip(1, TitlesTableModel::kText).find("Hard to read: "), std::string::npos)
        << tip(1, 5);
    EXPECT_NE(tip(1, TitlesTableModel::kText).find("characters a second (limit 17)"),
              std::string::npos);
    EXPECT_TRUE(
        vc->model()->index(1, TitlesTableModel::kNumber).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(
        vc->model()->index(0, TitlesTableModel::kNumber).data(Qt::BackgroundRole).isValid());
    EXPECT_NE(vc->tableNotes()->text().indexOf("1 hard to read"), -1)
        << vc->tableNotes()->text().toStdString();

    vc->failingOnly()->click();
    EXPECT_TRUE(vc->table()->isRowHidden(0));
    EXPECT_FALSE(vc->table()->isRowHidden(1));
    EXPECT_TRUE(vc->table()->isRowHidden(2));
    vc->failingOnly()->click();
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(vc->table()->isRowHidden(row));

    // Captions: the version shows 1.9 and cannot be changed; the tags become
    // styled runs, not text.
    vc->versionChoice()->setCurrentIndex(vc->versionChoice()->findData("1.6"));
    vc->outputChoice()->setCurrentIndex(vc->outputChoice()->findData("captions"));
    EXPECT_EQ("1.9", vc->versionChoice()->currentData().toString().toStdString());
    EXPECT_FALSE(vc->versionChoice()->isEnabled());
    EXPECT_TRUE(vc->captionFormat()->isVisibleTo(vc));
    EXPECT_EQ("Calm again.",
              vc->model()->index(2, TitlesTableModel::kText).data().toString().toStdString());
    EXPECT_FALSE(tip(1, TitlesTableModel::kText).empty()) << "still too quick on the frame grid";
    vc->captionFormat()->setCurrentIndex(vc->captionFormat()->findData("itt"));
    vc->language()->setText("fr");
    vc->exportButton()->click();
    ASSERT_TRUE(
        waitUntil([vc] { return !vc->isExporting() && !vc->resultLine()->path().isEmpty(); }));
    const std::string xml = readFile(dir / "quick.fcpxml");
    EXPECT_NE(xml.find("<fcpxml version=\"1.9\">"), std::string::npos);
    EXPECT_NE(xml.find("role=\"iTT?captionFormat=ITT.fr\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<text-style italic=\"1\"/>"), std::string::npos);
    EXPECT_VALID_FCPXML(xml, "1.9");

    // Back to titles: the version choice made for titles returns.
    vc->outputChoice()->setCurrentIndex(vc->outputChoice()->findData("titles"));
    EXPECT_TRUE(vc->versionChoice()->isEnabled());
    EXPECT_EQ("1.6", vc->versionChoice()->currentData().toString().toStdString());
    EXPECT_FALSE(vc->captionFormat()->isVisibleTo(vc));
}

} // namespace
} // namespace quelvo::test
