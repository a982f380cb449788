#include "ui/kit/text_window.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/kit/window_placement.h"

namespace quelvo::ui {

TextWindow::TextWindow(const QString& title, const QString& markdown, QWidget* owner)
    : QDialog(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    auto* text = new QTextBrowser(this);
    text->setObjectName("text");
    text->setMarkdown(markdown);
    text->setOpenExternalLinks(true);
    const int unit = fontMetrics().height();
    text->setMinimumSize(36 * unit, 24 * unit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

TextWindow* showTextWindow(const QString& title, const QString& markdown, QWidget* owner) {
    auto* window = new TextWindow(title, markdown, owner ? owner->window() : nullptr);
    placeNewWindow(window);
    window->show();
    return window;
}

QString markdownSections(const QString& markdown, const QStringList& headings) {
    QStringList kept;
    bool keeping = false;
    for (const QString& line : markdown.split('\n')) {
        if (line.startsWith(QLatin1String("## ")))
            keeping = headings.contains(line.mid(3).trimmed());
        if (keeping) kept << line;
    }
    while (!kept.isEmpty() && kept.last().trimmed().isEmpty())
        kept.removeLast();
    return kept.join('\n');
}

} // namespace quelvo::ui
