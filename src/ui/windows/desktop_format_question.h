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

namespace quelvo::ui {

class DesktopFormatQuestion : public FormatQuestion {
  public:
    // `window`: the window the sheet attaches to (any widget in it), or null
    // for a free-standing question. `offered`: the editors that can be
    // chosen; the others show greyed.
    explicit DesktopFormatQuestion(
        QWidget* window, std::vector<ProjectFormat> offered = quelvo::allProjectFormats());

    void ask(std::optional<ProjectFormat> preselected, Callback callback) override;

  private:
    QPointer<QWidget> m_window;
    std::vector<ProjectFormat> m_offered;
};

} // namespace quelvo::ui
