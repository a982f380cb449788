#include "ui/kit/ky_alert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kyui {

namespace {
AlertService* g_service = nullptr;

MessageBoxAlertService& messageBoxes() {
    static MessageBoxAlertService s;
    return s;
}
} // namespace

AlertService* KyAlert::setService(AlertService* service) {
    AlertService* previous = g_service;
    g_service = service;
    return previous;
}

AlertService& KyAlert::service() { return g_service ? *g_service : messageBoxes(); }

void KyAlert::ok(const std::string& message, const std::string& informativeText, QWidget* parent) {
    service().present({message, informativeText, {{"OK", nullptr}}, parent});
}

void KyAlert::twoButtons(const std::string& message, const std::string& informativeText,
                         const std::string& button0Txt, std::function<void()> button0Completion,
                         const std::string& button1Txt, std::function<void()> button1Completion,
                         QWidget* parent) {
    service().present({message,
                       informativeText,
                       {{button0Txt, std::move(button0Completion)}, {button1Txt, std::move(button1Completion)}},
                       parent});
}

void MessageBoxAlertService::present(const AlertRequest& request) {
    QWidget* parent = request.parent ? request.parent->window() : QApplication::activeWindow();
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QString::fromStdString(request.message));
    box.setText(QString::fromStdString(request.message));
    box.setInformativeText(QString::fromStdString(request.informativeText));
    std::vector<QPushButton*> buttons;
    for (const auto& b : request.buttons) {
        // The first button is the default, as the platform's alerts have it.
        auto role = buttons.empty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole;
        buttons.push_back(box.addButton(QString::fromStdString(b.text), role));
    }
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.front());
        const size_t escape = static_cast<size_t>(request.escapeButton);
        box.setEscapeButton(escape < buttons.size() ? buttons[escape] : buttons.front());
    }
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i] && request.buttons[i].completion) request.buttons[i].completion();
}

} // namespace kyui
