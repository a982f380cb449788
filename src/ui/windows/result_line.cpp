#include "ui/windows/result_line.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace quelvo::ui {

ResultLine::ResultLine(QWidget* parent) : QWidget(parent) {
    m_label = new QLabel(this);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setWordWrap(true);
    m_showInFolder = new QPushButton(tr("Show in Folder"), this);
    m_open = new QPushButton(tr("Open"), this);
    m_open->setToolTip(
        tr("Open the project with the program that opens FCPXML files (Final Cut Pro)"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_showInFolder);
    layout->addWidget(m_open);
    connect(m_showInFolder, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_path).absolutePath()));
    });
    connect(m_open, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_path)); });
    clear();
}

void ResultLine::showWritten(const QString& path) {
    m_path = path;
    m_label->setText(tr("Written: %1").arg(path));
    m_label->setToolTip(path);
    m_showInFolder->show();
    m_open->show();
    show();
}

void ResultLine::showFailed(const QString& reason) {
    m_path.clear();
    m_label->setText(tr("Not written: %1").arg(reason));
    m_label->setToolTip(QString());
    m_showInFolder->hide();
    m_open->hide();
    show();
}

void ResultLine::clear() {
    m_path.clear();
    m_label->clear();
    m_showInFolder->hide();
    m_open->hide();
    hide();
}

} // namespace quelvo::ui
