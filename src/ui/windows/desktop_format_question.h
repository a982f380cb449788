#pragma once
// The desktop program's editor question. The job asks from its worker
// thread: the question hops to the GUI thread, shows as a window-modal sheet
// on the window given at construction, and the answer comes back to the
// asking thread, where the callback (the project writer) runs. Asked on the
// GUI thread, the sheet shows and the callback runs there when the user
// answers.
//
// With "remember my choice" on and a remembered editor among those offered,
// it answers at once without showing. Otherwise the given choice is
// preselected, else the Final Cut Pro version the preferences prefer.
#include <vector>

#include <QPointer>
#include <QWidget>

#include "project/format_question.h"

namespace kyui {

class DesktopFormatQuestion : public quelvo::FormatQuestion {
  public:
    // `window`: the window the sheet attaches to (any widget in it), or null
    // for a free-standing question. `offered`: the editors that can be
    // chosen; the others show greyed.
    explicit DesktopFormatQuestion(
        QWidget* window, std::vector<quelvo::ProjectFormat> offered = quelvo::allProjectFormats());

    void ask(std::optional<quelvo::ProjectFormat> preselected, Callback callback) override;

  private:
    QPointer<QWidget> m_window;
    std::vector<quelvo::ProjectFormat> m_offered;
};

} // namespace kyui
