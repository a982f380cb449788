#include "ui/windows/result_line.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace kyui {

ResultLine::ResultLine(QWidget* parent) : QWidget(parent) {
    label = new QLabel(this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    btnShowInFolder = new QPushButton(tr("Show in Folder"), this);
    btnOpen = new QPushButton(tr("Open"), this);
    btnOpen->setToolTip(tr("Open the project with the program that opens FCPXML files (Final Cut Pro)"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label, 1);
    layout->addWidget(btnShowInFolder);
    layout->addWidget(btnOpen);
    connect(btnShowInFolder, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_path).absolutePath())); });
    connect(btnOpen, &QPushButton::clicked, this, [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_path)); });
    clear();
}

void ResultLine::showWritten(const QString& path) {
    m_path = path;
    label->setText(tr("Written: %1").arg(path));
    label->setToolTip(path);
    btnShowInFolder->show();
    btnOpen->show();
    show();
}

void ResultLine::showFailed(const QString& reason) {
    m_path.clear();
    label->setText(tr("Not written: %1").arg(reason));
    label->setToolTip(QString());
    btnShowInFolder->hide();
    btnOpen->hide();
    show();
}

void ResultLine::clear() {
    m_path.clear();
    label->clear();
    btnShowInFolder->hide();
    btnOpen->hide();
    hide();
}

} // namespace kyui
