#pragma once
// The editor question's window: which editor will open the project. Under a
// Final Cut Pro heading its two versions (FCPXML 1.9 and 1.6), then Premiere
// Pro / DaVinci Resolve (FCP7 XML), Shotcut (MLT) and Kdenlive. The job waits
// for the answer. Cancel, Escape, the window's close button and any other
// way of closing it answer "no editor": the job writes nothing.
//
// The arrow keys move between the choices, Tab goes on to "Remember my
// choice" and the buttons, Return is Continue and Escape is Cancel. Its
// controls are named for tests: "finalCutPro" (the heading), "sendNote",
// "rememberMyChoice", "continue" and "cancel"; choiceButton gives the choices.
#include <functional>
#include <optional>
#include <vector>

#include "project/project_format.h"
#include "ui/kit/sheet.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quelvo::ui {

class CheckBox;

class EditorChoiceDialog : public Sheet {
    Q_OBJECT
  public:
    using Answer = std::optional<ProjectFormat>;

    explicit EditorChoiceDialog(QWidget* parent = nullptr);
    ~EditorChoiceDialog() override;

    ProjectFormat selected() const;
    void setSelected(ProjectFormat format);
    // Only these can be chosen; the others stay visible, greyed. A selection
    // outside them moves to the first of them.
    void setOffered(const std::vector<ProjectFormat>& formats);
    QRadioButton* choiceButton(ProjectFormat format) const;

    // Runs once with the chosen editor, or nothing when cancelled.
    void setOnAnswer(std::function<void(Answer)> onAnswer) { m_onAnswer = std::move(onAnswer); }

  protected:
    // The chosen editor takes the focus, so the arrow keys start from it.
    void showEvent(QShowEvent* event) override;
    // Escape and the close button: nothing chosen, the job is told at once.
    void hideEvent(QHideEvent* event) override;

  private:
    void buildLayout();
    QRadioButton* addChoice(ProjectFormat format);
    // Continue: remembers the choice when asked to, answers and closes.
    void continuePressed();
    void answer(Answer format);

    QButtonGroup* m_choices = nullptr;
    CheckBox* m_rememberMyChoice = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_cancel = nullptr;
    std::function<void(Answer)> m_onAnswer;
    bool m_answered = false;
};

} // namespace quelvo::ui
