#include "ui/kit/notification.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDebug>
#include <QSystemTrayIcon>

namespace quelvo::ui {

namespace {
constexpr auto kService = "org.freedesktop.Notifications";
constexpr auto kPath = "/org/freedesktop/Notifications";
constexpr auto kInterface = "org.freedesktop.Notifications";

NotificationService* g_service = nullptr;

DesktopNotificationService& desktopService() {
    static DesktopNotificationService s;
    return s;
}
} // namespace

DesktopNotificationService::DesktopNotificationService(QDBusConnection bus)
    : m_bus(std::move(bus)) {}

bool DesktopNotificationService::postOverDBus(const QString& title,
                                              const QString& informativeText) {
#ifdef Q_OS_MACOS
    return false;
#else
    if (!m_bus.isConnected() || !m_bus.interface()) return false;
    if (!m_bus.interface()->isServiceRegistered(kService).value()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    const QString appName = QApplication::applicationDisplayName().isEmpty()
                                ? QStringLiteral("Quelvo")
                                : QApplication::applicationDisplayName();
    call << appName << uint(0) << QString() << title << informativeText << QStringList()
         << QVariantMap() << int(-1);
    // Fire and forget: the daemon answers with an id we have no use for, and
    // waiting for it would stall the window.
    return m_bus.send(call);
#endif
}

void DesktopNotificationService::post(const QString& title, const QString& informativeText) {
    if (postOverDBus(title, informativeText)) {
        m_lastRoute = "dbus";
        return;
    }
    if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
        // A tray icon only for the moment of the message; it goes with the app.
        static QSystemTrayIcon* tray = [] {
            auto* icon = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
            icon->show();
            return icon;
        }();
        tray->showMessage(title, informativeText);
        m_lastRoute = "tray";
        return;
    }
    m_lastRoute = "log";
    qInfo().noquote() << title + ": " + informativeText;
}

NotificationService* setNotificationService(NotificationService* service) {
    NotificationService* previous = g_service;
    g_service = service;
    return previous;
}

void showNotification(const QString& title, const QString& informativeText) {
    (g_service ? *g_service : static_cast<NotificationService&>(desktopService()))
        .post(title, informativeText);
}

} // namespace quelvo::ui
