#include "ui/kit/release_notes.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/kit/resources.h"

namespace quelvo::ui {

const QString ReleaseNotes::kNewsUrl = QStringLiteral(":/news/NEWS.md");

ReleaseNotes::ReleaseNotes(QAbstractButton* button, const QString& newsUrl)
    : QObject(button), m_button(button), m_url(newsUrl) {
    initResources();
}

QString ReleaseNotes::newsText() const {
    QFile file(m_url);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

void ReleaseNotes::showNews() {
    if (m_dialog) {
        m_dialog->raise();
        return;
    }
    QWidget* owner = m_button ? m_button->window() : nullptr;
    auto* dialog = new QDialog(owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(tr("What's New in Quelvo"));
    auto* text = new QTextBrowser(dialog);
    text->setMarkdown(newsText());
    text->setOpenExternalLinks(true);
    const int unit = dialog->fontMetrics().height();
    text->setMinimumSize(32 * unit, 20 * unit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    m_dialog = dialog;
    dialog->open();
}

} // namespace quelvo::ui
