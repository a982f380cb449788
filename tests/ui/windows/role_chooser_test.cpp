// The role chooser: opened from the main window's role button as a sheet, it
// shows the stored role, keeps a typed custom name while another role is
// chosen, announces the change once when it closes, and the main window's
// label then shows the new name with capitals.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "base/notifier.h"
#include "base/settings_store.h"
#include "project/second_file_role.h"
#include "support/ui_test_support.h"
#include "ui/kit/text_field.h"
#include "ui/kit/window_title.h"
#include "ui/windows/main_window.h"
#include "ui/windows/music_role_dialog.h"

namespace quelvo::test {
namespace {

using quelvo::SecondFileRole;
using Role = SecondFileRole::Role;
using quelvo::ui::MainWindow;
using quelvo::ui::MusicRoleDialog;

// Counts the announcements of a role change.
class Announcements {
  public:
    Announcements()
        : m_token(
              quelvo::Notifier::observe(SecondFileRole::kNotificationKey, [this] { ++count; })) {}
    ~Announcements() { quelvo::Notifier::removeObserver(m_token); }
    int count = 0;

  private:
    long m_token;
};

class RoleChooserTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        // The program installs the chooser before it makes the main window.
        MainWindow::setRoleChooser(&MusicRoleDialog::showOver);
    }
    void TearDown() override {
        UiTest::TearDown();
        MainWindow::setRoleChooser(nullptr);
    }

    // The main window's role button, pressed; returns the open chooser.
    MusicRoleDialog* openFrom(MainWindow* vc) {
        EXPECT_TRUE(vc->roleButton()->isEnabled());
        vc->roleButton()->click();
        MusicRoleDialog* chooser = openChooser();
        EXPECT_NE(nullptr, chooser);
        if (chooser) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(chooser->window()));
        }
        return chooser;
    }

    static MusicRoleDialog* openChooser() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* chooser = qobject_cast<MusicRoleDialog*>(w); chooser && chooser->isVisible())
                return chooser;
        return nullptr;
    }

    static void typeName(MusicRoleDialog* chooser, const QString& name) {
        child<quelvo::ui::TextField>(chooser, "customName")->setFocus();
        child<quelvo::ui::TextField>(chooser, "customName")->selectAll();
        QTest::keyClick(child<quelvo::ui::TextField>(chooser, "customName"), Qt::Key_Backspace);
        QTest::keyClicks(child<quelvo::ui::TextField>(chooser, "customName"), name);
    }

    SecondFileRole& role = SecondFileRole::shared();
};

TEST_F(RoleChooserTest, OpensAsASheetOnTheMainWindowShowingTheStoredRole) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    QWidget* sheet = chooser->window();
    EXPECT_EQ(Qt::WindowModal, sheet->windowModality());
    EXPECT_EQ(window, sheet->parentWidget());
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize()) << "not resizable";
    // The default role is music, with the name field shut.
    EXPECT_FALSE(child<QRadioButton>(chooser, "dialogue")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(chooser, "music")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(chooser, "custom")->isChecked());
    EXPECT_FALSE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
}

TEST_F(RoleChooserTest, ACustomRoleOpensWithItsNameReadyToEdit) {
    role.setRole(Role::custom);
    role.setCustomRole("Sound Effects");
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    EXPECT_TRUE(child<QRadioButton>(chooser, "custom")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(chooser, "music")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(chooser, "dialogue")->isChecked());
    EXPECT_TRUE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
    EXPECT_FALSE(child<quelvo::ui::TextField>(chooser, "customName")->isReadOnly());
    EXPECT_EQ("Sound Effects",
              child<quelvo::ui::TextField>(chooser, "customName")->text().toStdString());
}

TEST_F(RoleChooserTest, EveryClickAndKeystrokeGoesStraightIntoTheSharedRole) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    child<QRadioButton>(chooser, "dialogue")->click();
    EXPECT_EQ(Role::dialogue, role.role());
    EXPECT_TRUE(child<QRadioButton>(chooser, "dialogue")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(chooser, "music")->isChecked());
    child<QRadioButton>(chooser, "custom")->click();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_TRUE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
    EXPECT_EQ(child<quelvo::ui::TextField>(chooser, "customName"), QApplication::focusWidget())
        << "choosing Custom is choosing to type";
    QTest::keyClicks(child<quelvo::ui::TextField>(chooser, "customName"), "Foley");
    EXPECT_EQ("Foley", role.customRole()) << "written on each keystroke";
    QTest::keyClick(child<quelvo::ui::TextField>(chooser, "customName"), Qt::Key_Backspace);
    EXPECT_EQ("Fole", role.customRole());
    // Clicking the button that is already on leaves it on.
    child<QRadioButton>(chooser, "custom")->click();
    EXPECT_TRUE(child<QRadioButton>(chooser, "custom")->isChecked());
    EXPECT_EQ(Role::custom, role.role());
}

TEST_F(RoleChooserTest, TheCustomNameIsKeptWhileAnotherRoleIsChosen) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    child<QRadioButton>(chooser, "custom")->click();
    typeName(chooser, "Ambience");
    child<QRadioButton>(chooser, "music")->click();
    EXPECT_FALSE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
    EXPECT_EQ("Ambience", child<quelvo::ui::TextField>(chooser, "customName")->text().toStdString())
        << "shut, not emptied";
    EXPECT_EQ("music", role.roleName());
    EXPECT_EQ("Ambience", role.customRole());
    child<QRadioButton>(chooser, "custom")->click();
    EXPECT_TRUE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
    EXPECT_EQ("Ambience",
              child<quelvo::ui::TextField>(chooser, "customName")->text().toStdString());
    EXPECT_EQ("Ambience", role.roleName());
}

TEST_F(RoleChooserTest, ClosingAnnouncesOnceAndTheMainWindowShowsTheNameCapitalised) {
    MainWindow* vc = showMainWindow();
    ASSERT_EQ("Music", vc->roleName()->text().toStdString());
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    Announcements announced;
    child<QRadioButton>(chooser, "custom")->click();
    typeName(chooser, "sound effects");
    EXPECT_EQ(0, announced.count) << "nothing is announced while the sheet is open";
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());

    QPointer<QWidget> sheet = chooser->window();
    child<QPushButton>(chooser, "ok")->click();
    processEvents();
    EXPECT_TRUE(sheet.isNull()) << "OK closes the sheet";
    EXPECT_EQ(1, announced.count);
    EXPECT_EQ("Sound Effects", vc->roleName()->text().toStdString());

    // Dialogue, closed with Return from the keyboard.
    chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    child<QRadioButton>(chooser, "dialogue")->click();
    sheet = chooser->window();
    QTest::keyClick(child<QRadioButton>(chooser, "dialogue"), Qt::Key_Return);
    processEvents();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(2, announced.count);
    EXPECT_EQ("Dialogue", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, EscapeClosesTheSheetAndStillAnnounces) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    Announcements announced;
    child<QRadioButton>(chooser, "dialogue")->click();
    QPointer<QWidget> sheet = chooser->window();
    QTest::keyClick(sheet, Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(sheet.isNull()) << "Escape closes; the click is kept, there is no cancel";
    EXPECT_EQ(1, announced.count);
    EXPECT_EQ(Role::dialogue, role.role());
    EXPECT_EQ("Dialogue", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, AnEmptyCustomNameReadsAsMusic) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    child<QRadioButton>(chooser, "custom")->click();
    typeName(chooser, "   ");
    child<QPushButton>(chooser, "ok")->click();
    processEvents();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, ACustomRoleComesBackAfterARestart) {
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    child<QRadioButton>(chooser, "custom")->click();
    typeName(chooser, "Music Bed");
    child<QRadioButton>(chooser, "dialogue")->click();
    child<QRadioButton>(chooser, "custom")->click();
    child<QPushButton>(chooser, "ok")->click();
    processEvents();

    // A new start: the store is read again, and a new window and chooser come up.
    delete window;
    window = nullptr;
    quelvo::SettingsStore::instance().reload();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_EQ("Music Bed", role.customRole());
    vc = showMainWindow();
    EXPECT_EQ("Music Bed", vc->roleName()->text().toStdString());
    chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    EXPECT_TRUE(child<QRadioButton>(chooser, "custom")->isChecked());
    EXPECT_TRUE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());
    EXPECT_EQ("Music Bed",
              child<quelvo::ui::TextField>(chooser, "customName")->text().toStdString());
    chooser->close();
}

TEST_F(RoleChooserTest, TabReachesEveryControlAndReturnInTheNameFieldCloses) {
    role.setRole(Role::custom);
    MainWindow* vc = showMainWindow();
    MusicRoleDialog* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    QWidget* sheet = chooser->window();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    child<QRadioButton>(chooser, "dialogue")->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> expected = {
        child<QRadioButton>(chooser, "dialogue"), child<QRadioButton>(chooser, "music"),
        child<QRadioButton>(chooser, "custom"), child<quelvo::ui::TextField>(chooser, "customName"),
        child<QPushButton>(chooser, "ok")};
    std::vector<QWidget*> reached{QApplication::focusWidget()};
    for (size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(expected, reached);

    // Space on a radio button chooses it, as a click does.
    child<QRadioButton>(chooser, "music")->setFocus();
    QTest::keyClick(child<QRadioButton>(chooser, "music"), Qt::Key_Space);
    EXPECT_EQ(Role::music, role.role());
    EXPECT_FALSE(child<quelvo::ui::TextField>(chooser, "customName")->isEnabled());

    child<QRadioButton>(chooser, "custom")->setFocus();
    QTest::keyClick(child<QRadioButton>(chooser, "custom"), Qt::Key_Space);
    QPointer<QWidget> closing = sheet;
    QTest::keyClicks(child<quelvo::ui::TextField>(chooser, "customName"), "VO");
    QTest::keyClick(child<quelvo::ui::TextField>(chooser, "customName"), Qt::Key_Return);
    processEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ("VO", vc->roleName()->text().toStdString());
}

} // namespace
} // namespace quelvo::test
