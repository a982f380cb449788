#pragma once
// The About panel: the program's picture, name and version, and its credit
// lines. One panel at a time; asking again brings the open one forward.
// Its labels are named for tests: "picture", "appName", "version" and
// "credit" (one per line, in order).
#include <QString>
#include <QStringList>

#include "ui/kit/panel.h"

namespace quelvo::ui {

class AboutDialog : public Panel {
    Q_OBJECT
  public:
    // The image is the resource picture ":/images/<imageName>.png", drawn at
    // twice its shown size; the version comes from the build.
    AboutDialog(const QString& appName, const QString& imageName, const QStringList& textList,
                QWidget* owner);

    // Shows the panel on the window of `owner` (or on its own), or brings
    // the open one forward.
    static AboutDialog* showOnce(const QString& appName, const QString& imageName,
                                 const QStringList& textList, QWidget* owner = nullptr);
    // The open panel, or nullptr.
    static AboutDialog* current();

    QString appName() const { return m_appName; }
    QString imageName() const { return m_imageName; }
    QStringList textList() const { return m_textList; }

  private:
    void buildLayout();

    QString m_appName;
    QString m_imageName;
    QStringList m_textList;
};

} // namespace quelvo::ui
