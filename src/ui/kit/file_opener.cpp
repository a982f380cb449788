#include "ui/kit/file_opener.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quelvo::ui::fileOpener {

namespace {

bool runReplacement(const char* action, const QString& file) {
    const QString opener = qEnvironmentVariable(kOpenerVariable);
    if (opener.isEmpty()) return false;
    return QProcess::startDetached(opener, {QString::fromLatin1(action), file});
}

#ifndef Q_OS_MACOS
// The freedesktop file manager interface opens the folder with the file
// selected; most Linux file managers offer it.
bool showItemsOverDBus(const QString& file) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    constexpr auto kService = "org.freedesktop.FileManager1";
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kService).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
    return bus.send(call);
}
#endif

} // namespace

bool showInFolder(const QString& file) {
    if (!qEnvironmentVariableIsEmpty(kOpenerVariable)) return runReplacement("reveal", file);
#ifdef Q_OS_MACOS
    return QProcess::startDetached("open", {"-R", file});
#else
    if (showItemsOverDBus(file)) return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
#endif
}

bool openFile(const QString& file) {
    if (!qEnvironmentVariableIsEmpty(kOpenerVariable)) return runReplacement("open", file);
#ifdef Q_OS_MACOS
    // Only Final Cut Pro's own projects go to it; another editor's project
    // goes to whatever the system opens that kind of file with.
    if (QFileInfo(file).suffix().compare(QStringLiteral("fcpxml"), Qt::CaseInsensitive) != 0)
        return QProcess::startDetached("open", {file});
    return QProcess::startDetached("open", {"-a", "Final Cut Pro", file});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
}

} // namespace quelvo::ui::fileOpener
