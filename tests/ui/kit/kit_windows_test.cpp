// Sheets and panels, alerts, notifications and
// the frame animation.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "support/ui_test_support.h"
#include "ui/kit/alert.h"
#include "ui/kit/frame_animation.h"
#include "ui/kit/notification.h"
#include "ui/kit/panel.h"
#include "ui/kit/sheet.h"
#include "ui/kit/window_title.h"

namespace quelvo::test {
namespace {

// A sheet that writes down each time it goes out of sight.
class RecordingSheet : public quelvo::ui::Sheet {
  public:
    explicit RecordingSheet(QWidget* parent, bool closesOnEscape) : Sheet(parent) {
        setMinimumSize(160, 80);
        setClosesOnEscape(closesOnEscape);
    }
    int hidden = 0;

  protected:
    void hideEvent(QHideEvent* event) override {
        Sheet::hideEvent(event);
        ++hidden;
    }
};

// A shown top-level window for sheets and panels to belong to.
struct Owner : QWidget {
    Owner() {
        setMinimumSize(320, 200);
        show();
    }
};

TEST(SheetTest, ASheetIsWindowModalOnItsOwnerAndOnlyItsOwnCloseEndsABusyOne) {
    Owner owner;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    auto* inner = new QWidget(&owner);
    QPointer<RecordingSheet> sheet = new RecordingSheet(inner, false);
    sheet->open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    EXPECT_EQ(Qt::WindowModal, sheet->windowModality());
    EXPECT_EQ(&owner, sheet->parentWidget()) << "on the window of the widget given";
    // Neither Escape nor the window manager's close button ends work under way.
    QTest::keyClick(sheet, Qt::Key_Escape);
    closeByWindowManager(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(0, sheet->hidden);
    sheet->accept();
    processEvents();
    EXPECT_TRUE(sheet.isNull()) << "a closed sheet goes away";
}

TEST(SheetTest, EscapeAndTheCloseButtonCloseASheetThatAllowsItOnce) {
    Owner owner;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    for (const bool byEscape : {true, false}) {
        QPointer<RecordingSheet> sheet = new RecordingSheet(&owner, true);
        sheet->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        if (byEscape)
            QTest::keyClick(sheet, Qt::Key_Escape);
        else
            closeByWindowManager(sheet);
        ASSERT_FALSE(sheet.isNull());
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(1, sheet->hidden) << "once, as on any close";
        processEvents();
        EXPECT_TRUE(sheet.isNull());
    }
}

TEST(PanelTest, APanelBelongsToItsOwnerAndClosesWithEscapeOrItsCloseButton) {
    Owner owner;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QPointer<quelvo::ui::Panel> panel = new quelvo::ui::Panel(new QWidget(&owner));
    panel->setMinimumSize(160, 80); // some size, so that it is ever exposed
    panel->showPlaced();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_EQ(&owner, panel->parentWidget());
    EXPECT_EQ(Qt::NonModal, panel->windowModality());
    QTest::keyClick(panel, Qt::Key_Escape);
    processEvents();
    EXPECT_TRUE(panel.isNull());

    panel = new quelvo::ui::Panel(nullptr);
    panel->setMinimumSize(160, 80);
    panel->showPlaced();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_EQ(nullptr, panel->parentWidget());
    closeByWindowManager(panel);
    processEvents();
    EXPECT_TRUE(panel.isNull());
}

// The real alert dialog, read and answered from inside its own loop.
QDialog* openAlert() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

QStringList buttonTexts(QDialog* box) {
    QStringList texts;
    for (QPushButton* b : box->findChildren<QPushButton*>())
        texts << b->text();
    return texts;
}

TEST(AlertTest, TheAlertShowsTheTextsAndRunsTheChosenButtonsBlock) {
    Owner owner;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    std::string title, heading, text;
    QStringList buttons;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            QDialog* box = openAlert();
            ASSERT_NE(nullptr, box);
            title = box->windowTitle().toStdString();
            heading = box->findChild<QLabel*>("alertMessage")->text().toStdString();
            text = box->findChild<QLabel*>("alertText")->text().toStdString();
            buttons = buttonTexts(box);
            for (QPushButton* b : box->findChildren<QPushButton*>())
                if (b->text() == "Remove Filler File and Continue")
                    QTest::mouseClick(b, Qt::LeftButton);
        },
        Qt::QueuedConnection);
    int chosen = -1;
    quelvo::ui::Alert::twoButtons(
        "Warning", "Filler File Not found.\nWould you like to remove it and continue?", "OK",
        [&] { chosen = 0; }, "Remove Filler File and Continue", [&] { chosen = 1; }, &owner);
    EXPECT_EQ(1, chosen);
    EXPECT_EQ("Warning", title);
    EXPECT_EQ("Warning", heading);
    EXPECT_EQ("Filler File Not found.\nWould you like to remove it and continue?", text);
    buttons.sort();
    EXPECT_EQ((QStringList{"OK", "Remove Filler File and Continue"}), buttons);
}

TEST(AlertTest, OkHasOneButtonAndEscapeChoosesIt) {
    int ran = 0;
    QMetaObject::invokeMethod(
        qApp,
        [] {
            QDialog* box = openAlert();
            ASSERT_NE(nullptr, box);
            EXPECT_EQ(QStringList{"OK"}, buttonTexts(box));
            QTest::keyClick(box, Qt::Key_Escape);
        },
        Qt::QueuedConnection);
    quelvo::ui::Alert::service().present(
        {"Warning", "Speaker File Not Specified.", {{"OK", [&] { ++ran; }}}});
    EXPECT_EQ(1, ran);
}

// A short sentence stays on one line and the title has room in the title
// bar; a long one wraps at a reading width; at twice the scale as at once.
TEST(AlertTest, TheAlertIsAsWideAsItsText) {
    for (const char* sentence :
         {"Speaker File Not Specified.",
          "The dialogue file \u201Ctalk.wav\u201D is not audio that Quelvo can read. Use WAV, MP3, "
          "M4A or AIFF. "
          "This sentence goes on so that it has to wrap at the reading width of the alert."}) {
        int lines = 0, titleRoom = 0, titleNeeds = 0;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                QDialog* box = openAlert();
                ASSERT_NE(nullptr, box);
                auto* text = box->findChild<QLabel*>("alertText");
                const QFontMetrics fm(text->font());
                lines = text->height() / fm.lineSpacing();
                titleRoom = box->width();
                titleNeeds = fm.horizontalAdvance(box->windowTitle()) + 6 * fm.height();
                box->findChildren<QPushButton*>().front()->click();
            },
            Qt::QueuedConnection);
        quelvo::ui::Alert::ok("Warning", sentence);
        if (std::string(sentence).size() < 40) {
            EXPECT_EQ(1, lines) << sentence;
        } else {
            EXPECT_GE(lines, 2) << sentence;
        }
        EXPECT_GE(titleRoom, titleNeeds);
    }
}

TEST(AlertTest, TheTechnicalReasonWaitsUnderDetails) {
    bool hiddenFirst = false, shownAfter = false;
    std::string details;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            QDialog* box = openAlert();
            ASSERT_NE(nullptr, box);
            auto* area = box->findChild<QPlainTextEdit*>("alertDetails");
            auto* disclosure = box->findChild<QToolButton*>("alertDetailsButton");
            ASSERT_TRUE(area && disclosure);
            hiddenFirst = !area->isVisible();
            QTest::mouseClick(disclosure, Qt::LeftButton);
            shownAfter = area->isVisible();
            details = area->toPlainText().toStdString();
            box->findChildren<QPushButton*>().front()->click();
        },
        Qt::QueuedConnection);
    quelvo::ui::Alert::okWithDetails("Warning", "The music file is empty. Export the audio again.",
                                     "Cannot read the music file /x/m.wav: the file is empty.");
    EXPECT_TRUE(hiddenFirst);
    EXPECT_TRUE(shownAfter);
    EXPECT_EQ("Cannot read the music file /x/m.wav: the file is empty.", details);
}

// A notification daemon on a private session bus, so the real D-Bus path
// runs without touching the desktop of whoever runs the tests.
class NotificationDaemon : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Notify") return false;
        received.push_back(message.arguments());
        connection.send(message.createReply(QVariantList{uint(1)}));
        return true;
    }
    std::vector<QVariantList> received;
};

TEST(showNotificationTest, GoesToTheFreedesktopServiceOverDBus) {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(10000))
        GTEST_SKIP() << "dbus-daemon is not available";
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    {
        QDBusConnection server = QDBusConnection::connectToBus(address, "notification-daemon");
        ASSERT_TRUE(server.isConnected());
        NotificationDaemon notifications;
        ASSERT_TRUE(server.registerVirtualObject("/org/freedesktop/Notifications", &notifications));
        ASSERT_TRUE(server.registerService("org.freedesktop.Notifications"));

        QDBusConnection client = QDBusConnection::connectToBus(address, "notification-client");
        quelvo::ui::DesktopNotificationService service(client);
        service.post("Quelvo Done", "Successfully Ducked Audio Files.");
        EXPECT_EQ("dbus", service.lastRoute().toStdString());
        ASSERT_TRUE(waitUntil([&] { return !notifications.received.empty(); }, 10000));
        ASSERT_EQ(1u, notifications.received.size());
        const QVariantList& args = notifications.received[0];
        ASSERT_EQ(8, args.size());
        EXPECT_EQ("Quelvo Done", args[3].toString().toStdString());
        EXPECT_EQ("Successfully Ducked Audio Files.", args[4].toString().toStdString());

        // With no daemon on the bus it falls back quietly.
        server.unregisterService("org.freedesktop.Notifications");
        service.post("Quelvo Done", "Successfully Ducked Audio Files.");
        EXPECT_NE("dbus", service.lastRoute().toStdString());
        server.unregisterObject("/org/freedesktop/Notifications");
    }
    QDBusConnection::disconnectFromBus("notification-daemon");
    QDBusConnection::disconnectFromBus("notification-client");
    daemon.kill();
    daemon.waitForFinished(5000);
}

TEST(showNotificationTest, WithoutABusItStaysQuiet) {
    quelvo::ui::DesktopNotificationService service(
        QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "none"));
    service.post("Quelvo Done", "Successfully Ducked Audio Files.");
    EXPECT_EQ("log", service.lastRoute().toStdString()) << "no bus and no tray here";
    QDBusConnection::disconnectFromBus("none");
}

TEST(FrameAnimationTest, NamesFramesByPrefixAndNumberAndShipsEveryFrame) {
    QLabel view;
    view.resize(96, 96);
    const struct {
        const char* prefix;
        int last;
    } layers[] = {{"quelvo_progressA_", 59}, {"quelvo_progressB_", 58}, {"quelvo_progressC_", 57}};
    for (const auto& layer : layers) {
        quelvo::ui::FrameAnimation anim(&view, 0.0, 60, true, true, nullptr, "", "png", nullptr,
                                        false);
        anim.setSequence(layer.prefix, 0, layer.last, 5);
        EXPECT_EQ(layer.last + 1, anim.frameCount());
        for (int f = 0; f <= layer.last; ++f)
            EXPECT_FALSE(anim.frame(f).isNull()) << anim.frameName(f).toStdString();
        EXPECT_TRUE(anim.frame(layer.last + 1).isNull());
    }
    quelvo::ui::FrameAnimation anim(&view, 0.0, 60, true, true, nullptr, "", "png", nullptr, false);
    anim.setSequence("quelvo_progressB_", 0, 58, 5);
    EXPECT_EQ("quelvo_progressB_00007.png", anim.frameName(7).toStdString());
    // Drawn at twice the view's size, for 200 % screens.
    EXPECT_EQ(QSize(192, 192), anim.frame(0).size());
}

TEST(FrameAnimationTest, LoopsAndStopsAfterItsFirstPassWhenAskedEarly) {
    QLabel view;
    view.resize(96, 96);
    quelvo::ui::FrameAnimation anim(&view, 0.001, 60, true, true, nullptr, "", "png", nullptr,
                                    false);
    anim.setSequence("quelvo_progressC_", 0, 4, 5);
    std::vector<int> shown;
    QObject::connect(&anim, &quelvo::ui::FrameAnimation::frameShown,
                     [&](int f) { shown.push_back(f); });
    anim.start();
    ASSERT_TRUE(waitUntil([&] { return shown.size() >= 7; }));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 0, 1, 2}),
              std::vector<int>(shown.begin(), shown.begin() + 7));
    EXPECT_FALSE(view.pixmap().isNull());
    anim.stop();
    EXPECT_FALSE(anim.isRunning()) << "after a whole pass, stop is immediate";

    quelvo::ui::FrameAnimation once(&view, 0.001, 60, true, true, nullptr, "", "png", nullptr,
                                    false);
    once.setSequence("quelvo_progressC_", 0, 4, 5);
    once.start();
    once.stop(); // too early: finishes the pass
    EXPECT_TRUE(once.isRunning());
    ASSERT_TRUE(waitUntil([&] { return !once.isRunning(); }));
    EXPECT_EQ(4, once.currentFrame());
}

TEST(FrameAnimationTest, ALinkedAnimationStepsWithItsLeader) {
    QLabel a, b;
    quelvo::ui::FrameAnimation leader(&a, 0.001, 60, true, false, nullptr, "", "png", nullptr,
                                      false);
    leader.setSequence("quelvo_progressA_", 0, 59, 5);
    quelvo::ui::FrameAnimation follower(&b, 0.0, 60, true, true, nullptr, "", "png", &leader, true);
    follower.setSequence("quelvo_progressB_", 0, 58, 5);
    leader.start();
    ASSERT_TRUE(waitUntil([&] { return leader.currentFrame() >= 5; }));
    leader.stop();
    EXPECT_EQ(leader.currentFrame(), follower.currentFrame());
}

} // namespace
} // namespace quelvo::test
