#pragma once
// Modal alerts: a bold message (always "Warning" in this program), one short
// sentence, optionally the technical reason behind a Details disclosure, and
// one or more buttons whose blocks run when chosen. The alerts go through a
// replaceable AlertService so that tests can read and answer them; the
// default one shows a dialog sized to its text.
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace quelvo::ui {

struct AlertButton {
    std::string text;
    std::function<void()> completion; // may be empty
};

struct AlertRequest {
    std::string message;         // the title line, "Warning"
    std::string informativeText; // the sentence
    std::vector<AlertButton> buttons;
    QWidget* parent = nullptr; // the window it belongs to, or nullptr
    std::string details = {};  // the technical reason, shown on request; may be empty
    // The button Escape chooses; the first unless a question has a harmless
    // way out elsewhere (Cancel after Replace).
    int escapeButton = 0;
};

class AlertService {
  public:
    virtual ~AlertService() = default;
    // Shows the alert and runs the completion of the button chosen (exactly
    // one, once). Blocking or not is the service's choice.
    virtual void present(const AlertRequest& request) = 0;
};

class Alert {
  public:
    // One button, "OK".
    static void ok(const std::string& message, const std::string& informativeText,
                   QWidget* parent = nullptr);
    // One button, "OK", and the technical reason under Details.
    static void okWithDetails(const std::string& message, const std::string& informativeText,
                              const std::string& details, QWidget* parent = nullptr);
    static void twoButtons(const std::string& message, const std::string& informativeText,
                           const std::string& button0Txt, std::function<void()> button0Completion,
                           const std::string& button1Txt, std::function<void()> button1Completion,
                           QWidget* parent = nullptr);

    // Replaces the service (nullptr restores the message box); the caller
    // keeps ownership. Returns the previous one.
    static AlertService* setService(AlertService* service);
    static AlertService& service();
};

// The default service: an application-modal dialog with a warning icon. It
// is as wide as its sentence needs (up to a comfortable reading width, then
// the sentence wraps), and never narrower than its title; the first button
// is the default and Escape chooses it too.
class MessageBoxAlertService : public AlertService {
  public:
    void present(const AlertRequest& request) override;
};

} // namespace quelvo::ui
