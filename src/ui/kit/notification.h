#pragma once
// Desktop notifications ("Quelvo Done"). On Linux they go to the
// freedesktop notification service over the session D-Bus; elsewhere to the
// system tray's messages. When neither is there the notification is only
// logged: a missing notification daemon must never bother the user.
#include <QDBusConnection>
#include <QString>

namespace quelvo::ui {

class NotificationService {
  public:
    virtual ~NotificationService() = default;
    virtual void post(const QString& title, const QString& informativeText) = 0;
};

// org.freedesktop.Notifications on the given bus, with the quiet fallback.
class DesktopNotificationService : public NotificationService {
  public:
    explicit DesktopNotificationService(QDBusConnection bus = QDBusConnection::sessionBus());
    void post(const QString& title, const QString& informativeText) override;
    // How the last notification went out: "dbus", "tray" or "log".
    QString lastRoute() const { return m_lastRoute; }

  private:
    bool postOverDBus(const QString& title, const QString& informativeText);
    QDBusConnection m_bus;
    QString m_lastRoute;
};

// Replaces the service (nullptr restores the desktop one); the caller keeps
// ownership. Returns the previous one.
NotificationService* setNotificationService(NotificationService* service);

void showNotification(const QString& title, const QString& informativeText);

} // namespace quelvo::ui
