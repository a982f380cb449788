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
#include "ui/kit/ky_text_field.h"
#include "ui/kit/ky_windows.h"
#include "ui/windows/main_window.h"
#include "ui/windows/qv_second_file_role_vc.h"
#include "ui_test_support.h"

namespace quelvo::test {
namespace {

using kymovie::SecondFileRole;
using Role = SecondFileRole::Role;
using kyui::MainWindow;
using kyui::QVSecondFileRoleVC;

// Counts the announcements of a role change.
class Announcements {
public:
    Announcements() : m_token(kykit::Notifier::observe(SecondFileRole::kNotificationKey, [this] { ++count; })) {}
    ~Announcements() { kykit::Notifier::removeObserver(m_token); }
    int count = 0;

private:
    long m_token;
};

class RoleChooserTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // The program installs the chooser before it makes the main window.
        MainWindow::setRoleChooser(&QVSecondFileRoleVC::show);
    }
    void TearDown() override {
        UiTest::TearDown();
        MainWindow::setRoleChooser(nullptr);
    }

    // The main window's role button, pressed; returns the open chooser.
    QVSecondFileRoleVC* openFrom(MainWindow* vc) {
        EXPECT_TRUE(vc->roleButton()->isEnabled());
        vc->roleButton()->click();
        QVSecondFileRoleVC* chooser = openChooser();
        EXPECT_NE(nullptr, chooser);
        if (chooser) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(chooser->window()));
        }
        return chooser;
    }

    static QVSecondFileRoleVC* openChooser() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* sheet = qobject_cast<kyui::KySheetWindow*>(w);
            if (!sheet || !sheet->isVisible()) continue;
            if (auto* vc = qobject_cast<QVSecondFileRoleVC*>(sheet->controller())) return vc;
        }
        return nullptr;
    }

    static void typeName(QVSecondFileRoleVC* chooser, const QString& name) {
        chooser->fldCustom->setFocus();
        chooser->fldCustom->selectAll();
        QTest::keyClick(chooser->fldCustom, Qt::Key_Backspace);
        QTest::keyClicks(chooser->fldCustom, name);
    }

    SecondFileRole& role = SecondFileRole::shared();
};

TEST_F(RoleChooserTest, OpensAsASheetOnTheMainWindowShowingTheStoredRole) {
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    QWidget* sheet = chooser->window();
    EXPECT_EQ(Qt::WindowModal, sheet->windowModality());
    EXPECT_EQ(window, sheet->parentWidget());
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize()) << "not resizable";
    // The default role is music, with the name field shut.
    EXPECT_FALSE(chooser->radDialogue->isChecked());
    EXPECT_TRUE(chooser->radMusic->isChecked());
    EXPECT_FALSE(chooser->radCustom->isChecked());
    EXPECT_FALSE(chooser->fldCustom->isEnabled());
    EXPECT_EQ(0, QVSecondFileRoleVC::tag(chooser->radDialogue));
    EXPECT_EQ(1, QVSecondFileRoleVC::tag(chooser->radMusic));
    EXPECT_EQ(2, QVSecondFileRoleVC::tag(chooser->radCustom));
}

TEST_F(RoleChooserTest, ACustomRoleOpensWithItsNameReadyToEdit) {
    role.setRole(Role::custom);
    role.setCustomRole("Sound Effects");
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    EXPECT_TRUE(chooser->radCustom->isChecked());
    EXPECT_FALSE(chooser->radMusic->isChecked());
    EXPECT_FALSE(chooser->radDialogue->isChecked());
    EXPECT_TRUE(chooser->fldCustom->isEnabled());
    EXPECT_FALSE(chooser->fldCustom->isReadOnly());
    EXPECT_EQ("Sound Effects", chooser->fldCustom->text().toStdString());
}

TEST_F(RoleChooserTest, EveryClickAndKeystrokeGoesStraightIntoTheSharedRole) {
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    chooser->radDialogue->click();
    EXPECT_EQ(Role::dialogue, role.role());
    EXPECT_TRUE(chooser->radDialogue->isChecked());
    EXPECT_FALSE(chooser->radMusic->isChecked());
    chooser->radCustom->click();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_TRUE(chooser->fldCustom->isEnabled());
    EXPECT_EQ(chooser->fldCustom, QApplication::focusWidget()) << "choosing Custom is choosing to type";
    QTest::keyClicks(chooser->fldCustom, "Foley");
    EXPECT_EQ("Foley", role.customRole()) << "written on each keystroke";
    QTest::keyClick(chooser->fldCustom, Qt::Key_Backspace);
    EXPECT_EQ("Fole", role.customRole());
    // Clicking the button that is already on leaves it on.
    chooser->radCustom->click();
    EXPECT_TRUE(chooser->radCustom->isChecked());
    EXPECT_EQ(Role::custom, role.role());
}

TEST_F(RoleChooserTest, TheCustomNameIsKeptWhileAnotherRoleIsChosen) {
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    chooser->radCustom->click();
    typeName(chooser, "Ambience");
    chooser->radMusic->click();
    EXPECT_FALSE(chooser->fldCustom->isEnabled());
    EXPECT_EQ("Ambience", chooser->fldCustom->text().toStdString()) << "shut, not emptied";
    EXPECT_EQ("music", role.roleName());
    EXPECT_EQ("Ambience", role.customRole());
    chooser->radCustom->click();
    EXPECT_TRUE(chooser->fldCustom->isEnabled());
    EXPECT_EQ("Ambience", chooser->fldCustom->text().toStdString());
    EXPECT_EQ("Ambience", role.roleName());
}

TEST_F(RoleChooserTest, ClosingAnnouncesOnceAndTheMainWindowShowsTheNameCapitalised) {
    MainWindow* vc = showMainWindow();
    ASSERT_EQ("Music", vc->roleName()->text().toStdString());
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    Announcements announced;
    chooser->radCustom->click();
    typeName(chooser, "sound effects");
    EXPECT_EQ(0, announced.count) << "nothing is announced while the sheet is open";
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());

    QPointer<QWidget> sheet = chooser->window();
    chooser->btnOk->click();
    processEvents();
    EXPECT_TRUE(sheet.isNull()) << "OK closes the sheet";
    EXPECT_EQ(1, announced.count);
    EXPECT_EQ("Sound Effects", vc->roleName()->text().toStdString());

    // Dialogue, closed with Return from the keyboard.
    chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    chooser->radDialogue->click();
    sheet = chooser->window();
    QTest::keyClick(chooser->radDialogue, Qt::Key_Return);
    processEvents();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(2, announced.count);
    EXPECT_EQ("Dialogue", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, EscapeClosesTheSheetAndStillAnnounces) {
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    Announcements announced;
    chooser->radDialogue->click();
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
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    chooser->radCustom->click();
    typeName(chooser, "   ");
    chooser->btnOk->click();
    processEvents();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_EQ("Music", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, ACustomRoleComesBackAfterARestart) {
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    chooser->radCustom->click();
    typeName(chooser, "Music Bed");
    chooser->radDialogue->click();
    chooser->radCustom->click();
    chooser->btnOk->click();
    processEvents();

    // A new start: the store is read again, and a new window and chooser come up.
    delete window;
    window = nullptr;
    kykit::SettingsStore::instance().reload();
    EXPECT_EQ(Role::custom, role.role());
    EXPECT_EQ("Music Bed", role.customRole());
    vc = showMainWindow();
    EXPECT_EQ("Music Bed", vc->roleName()->text().toStdString());
    chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    EXPECT_TRUE(chooser->radCustom->isChecked());
    EXPECT_TRUE(chooser->fldCustom->isEnabled());
    EXPECT_EQ("Music Bed", chooser->fldCustom->text().toStdString());
    chooser->close();
}

TEST_F(RoleChooserTest, TabReachesEveryControlAndReturnInTheNameFieldCloses) {
    role.setRole(Role::custom);
    MainWindow* vc = showMainWindow();
    QVSecondFileRoleVC* chooser = openFrom(vc);
    ASSERT_NE(nullptr, chooser);
    QWidget* sheet = chooser->window();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    chooser->radDialogue->setFocus(Qt::TabFocusReason);
    const std::vector<QWidget*> expected = {chooser->radDialogue, chooser->radMusic, chooser->radCustom,
                                            chooser->fldCustom, chooser->btnOk};
    std::vector<QWidget*> reached{QApplication::focusWidget()};
    for (size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(expected, reached);

    // Space on a radio button chooses it, as a click does.
    chooser->radMusic->setFocus();
    QTest::keyClick(chooser->radMusic, Qt::Key_Space);
    EXPECT_EQ(Role::music, role.role());
    EXPECT_FALSE(chooser->fldCustom->isEnabled());

    chooser->radCustom->setFocus();
    QTest::keyClick(chooser->radCustom, Qt::Key_Space);
    QPointer<QWidget> closing = sheet;
    QTest::keyClicks(chooser->fldCustom, "VO");
    QTest::keyClick(chooser->fldCustom, Qt::Key_Return);
    processEvents();
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ("VO", vc->roleName()->text().toStdString());
}

TEST_F(RoleChooserTest, EditsTheSharedRole) {
    QVSecondFileRoleVC made;
    EXPECT_EQ(&SecondFileRole::shared(), &made.qvSecondFileRole);
}

} // namespace
} // namespace quelvo::test
