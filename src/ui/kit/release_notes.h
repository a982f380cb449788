#pragma once
// The news button: shows the release notes that ship with the program. No
// network: the notes are compiled in, so they always match the build.
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;

namespace quelvo::ui {

class ReleaseNotes : public QObject {
    Q_OBJECT
  public:
    // Where the notes are (a resource path or a file).
    static const QString kNewsUrl;

    ReleaseNotes(QAbstractButton* button, const QString& newsUrl);
    // The notes' text ("" when they cannot be read).
    QString newsText() const;
    // Opens the notes in a window-modal dialog on the button's window.
    void showNews();
    QDialog* dialog() const { return m_dialog; }

  private:
    QPointer<QAbstractButton> m_button;
    QString m_url;
    QPointer<QDialog> m_dialog;
};

} // namespace quelvo::ui
