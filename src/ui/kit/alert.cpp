#include "ui/kit/alert.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace quelvo::ui {

namespace {
AlertService* g_service = nullptr;

MessageBoxAlertService& messageBoxes() {
    static MessageBoxAlertService s;
    return s;
}

// The widest line of text, in pixels.
int widestLine(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// The warning icon, at the top of its column.
QLabel* alertIcon(QDialog& box) {
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(
        box.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &box).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

// The technical reason, folded away under a Details disclosure.
void addDetails(QDialog& box, QVBoxLayout* column, const std::string& reason, int width) {
    const int unit = QFontMetrics(box.font()).height();
    auto* disclosure = new QToolButton(&box);
    disclosure->setObjectName("alertDetailsButton");
    disclosure->setText(QObject::tr("Details"));
    disclosure->setCheckable(true);
    disclosure->setAutoRaise(true);
    disclosure->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    disclosure->setArrowType(Qt::RightArrow);
    auto* details = new QPlainTextEdit(QString::fromStdString(reason), &box);
    details->setObjectName("alertDetails");
    details->setReadOnly(true);
    details->setFixedWidth(width);
    details->setFixedHeight(4 * unit);
    details->hide();
    QObject::connect(disclosure, &QToolButton::toggled, &box,
                     [disclosure, details, &box](bool open) {
                         disclosure->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
                         details->setVisible(open);
                         box.adjustSize();
                     });
    column->addWidget(disclosure, 0, Qt::AlignLeft);
    column->addWidget(details);
}

// The bold title line, the sentence and, when there is one, the reason.
QVBoxLayout* alertTexts(QDialog& box, const AlertRequest& request) {
    const QFontMetrics fm(box.font());
    const int unit = fm.height();
    const QString title = box.windowTitle();
    const QString sentence = QString::fromStdString(request.informativeText);
    auto* heading = new QLabel(title, &box);
    heading->setObjectName("alertMessage");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto* text = new QLabel(sentence, &box);
    text->setObjectName("alertText");
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line when the sentence is short; wrapped at a reading width when
    // long. The width is fixed, so the label never squeezes itself into two
    // short lines as a word-wrapped label in a free layout does.
    const int readingWidth = 30 * unit;
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(title);
    // The window manager's title bar also needs room for its buttons.
    const int textWidth =
        std::clamp(std::max(widestLine(fm, sentence) + unit / 2, titleWidth + 6 * unit), 16 * unit,
                   readingWidth);
    text->setFixedWidth(textWidth);

    auto* column = new QVBoxLayout;
    column->setSpacing(unit / 2);
    column->addWidget(heading);
    column->addWidget(text);
    if (!request.details.empty()) addDetails(box, column, request.details, textWidth);
    return column;
}

// The request's buttons, right-aligned in `row`, the default (first) one last.
std::vector<QPushButton*> alertButtons(QDialog& box, const AlertRequest& request,
                                       QHBoxLayout* row) {
    row->addStretch();
    std::vector<QPushButton*> buttons;
    for (const auto& b : request.buttons)
        buttons.push_back(new QPushButton(QString::fromStdString(b.text), &box));
    // The default (first) button sits at the right end, where the eye ends.
    for (size_t i = 1; i < buttons.size(); ++i)
        row->addWidget(buttons[i]);
    if (!buttons.empty()) row->addWidget(buttons.front());
    return buttons;
}

} // namespace

AlertService* Alert::setService(AlertService* service) {
    AlertService* previous = g_service;
    g_service = service;
    return previous;
}

AlertService& Alert::service() {
    return g_service ? *g_service : messageBoxes();
}

void Alert::ok(const std::string& message, const std::string& informativeText, QWidget* parent) {
    service().present({message, informativeText, {{"OK", nullptr}}, parent});
}

void Alert::okWithDetails(const std::string& message, const std::string& informativeText,
                          const std::string& details, QWidget* parent) {
    service().present({message, informativeText, {{"OK", nullptr}}, parent, details});
}

void Alert::twoButtons(const std::string& message, const std::string& informativeText,
                       const std::string& button0Txt, std::function<void()> button0Completion,
                       const std::string& button1Txt, std::function<void()> button1Completion,
                       QWidget* parent) {
    service().present(
        {message,
         informativeText,
         {{button0Txt, std::move(button0Completion)}, {button1Txt, std::move(button1Completion)}},
         parent});
}

void MessageBoxAlertService::present(const AlertRequest& request) {
    QWidget* parent = request.parent ? request.parent->window() : QApplication::activeWindow();
    QDialog box(parent);
    box.setObjectName("Alert");
    box.setWindowModality(Qt::ApplicationModal);
    // An alert is answered, not minimised or maximised: only a close button.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    box.setWindowTitle(QString::fromStdString(request.message));
    const int unit = QFontMetrics(box.font()).height();

    QLabel* icon = alertIcon(box);
    QVBoxLayout* column = alertTexts(box, request);
    auto* body = new QHBoxLayout;
    body->setSpacing(unit);
    body->addWidget(icon, 0, Qt::AlignTop);
    body->addLayout(column, 1);

    auto* row = new QHBoxLayout;
    const std::vector<QPushButton*> buttons = alertButtons(box, request, row);

    auto* page = new QVBoxLayout(&box);
    page->setContentsMargins(unit, unit, unit, unit);
    page->setSpacing(unit);
    page->addLayout(body);
    page->addLayout(row);
    page->setSizeConstraint(QLayout::SetFixedSize);

    // Escape and the close button choose the request's escape button (the
    // first unless a question has a harmless way out elsewhere).
    int chosen =
        request.escapeButton >= 0 && static_cast<size_t>(request.escapeButton) < buttons.size()
            ? request.escapeButton
            : 0;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QObject::connect(buttons[i], &QPushButton::clicked, &box, [&box, &chosen, i] {
            chosen = static_cast<int>(i);
            box.accept();
        });
    }
    if (!buttons.empty()) {
        buttons.front()->setDefault(true);
        buttons.front()->setFocus();
    }
    box.exec();
    if (chosen < static_cast<int>(request.buttons.size()) && request.buttons[chosen].completion)
        request.buttons[chosen].completion();
}

} // namespace quelvo::ui
