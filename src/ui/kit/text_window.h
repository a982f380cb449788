#pragma once
// A window that shows a Markdown text (help pages): scrollable, links open in
// the browser, closed with its button or Escape, deleted when closed. The
// text's browser is named "text" for tests.
#include <QDialog>
#include <QString>

namespace quelvo::ui {

class TextWindow : public QDialog {
    Q_OBJECT
  public:
    TextWindow(const QString& title, const QString& markdown, QWidget* owner);
};

// Shows a new text window on the window of `owner` (or on its own).
TextWindow* showTextWindow(const QString& title, const QString& markdown, QWidget* owner);

// The sections of a Markdown text whose level-2 headings ("## Title") are in
// `headings`, in the text's order, each up to the next level-2 heading.
QString markdownSections(const QString& markdown, const QStringList& headings);

} // namespace quelvo::ui
