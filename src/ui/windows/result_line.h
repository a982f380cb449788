#pragma once
// The line under a finished export: what was written, with Show in Folder
// and Open, or why nothing was.
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quelvo::ui {

class ResultLine : public QWidget {
    Q_OBJECT
  public:
    explicit ResultLine(QWidget* parent = nullptr);

    void showWritten(const QString& path);
    void showFailed(const QString& reason);
    void clear();

    QString path() const { return m_path; }

    // For tests that look at what a user sees.
    QPushButton* showInFolderButton() const { return m_showInFolder; }
    QPushButton* openButton() const { return m_open; }

  private:
    QLabel* m_label = nullptr;
    QPushButton* m_showInFolder = nullptr;
    QPushButton* m_open = nullptr;
    QString m_path;
};

} // namespace quelvo::ui
