#pragma once
// The About panel: the program's picture, name and version, and its credit
// lines. One panel at a time; asking again brings the open one forward.
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace kyui {

class KyAboutPanel : public QDialog {
    Q_OBJECT
public:
    KyAboutPanel(const QString& appName, const QString& imageName, const QStringList& textList,
                 QWidget* owner);

    QString appName() const { return m_appName; }
    QString imageName() const { return m_imageName; }
    QStringList textList() const { return m_textList; }

    // Outlets.
    QLabel* imgAbout;
    QLabel* lblAppName;
    QLabel* lblVersion;
    QList<QLabel*> lblCredits;
    QPushButton* btnClose;

private:
    QString m_appName;
    QString m_imageName;
    QStringList m_textList;
};

struct KyAboutView {
    // Shows the panel on the window of `owner` (or on its own): the image is
    // the resource picture ":/images/<imageName>.png", drawn at twice its
    // shown size; the version comes from the build.
    static KyAboutPanel* show(const QString& appName, const QString& imageName, const QStringList& textList,
                              QWidget* owner = nullptr);
    // The open panel, or nullptr.
    static KyAboutPanel* current();
};

} // namespace kyui
