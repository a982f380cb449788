#pragma once
// The editor question's window: which editor will open the project. Under a
// Final Cut Pro heading its two versions (FCPXML 1.9 and 1.6), then Premiere
// Pro / DaVinci Resolve (FCP7 XML), Shotcut (MLT) and Kdenlive. The job waits
// for the answer. Cancel, Escape, the window's close button and any other
// way of closing it answer "no editor": the job writes nothing.
//
// The arrow keys move between the choices, Tab goes on to "Remember my
// choice" and the buttons, Return is Continue and Escape is Cancel.
#include <functional>
#include <optional>
#include <vector>

#include "project/project_format.h"
#include "ui/kit/ky_view_controller.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kyui {

class KyCheckButton;

class FCP106ExportOptionsVC : public KyViewController {
    Q_OBJECT
public:
  using Answer = std::optional<quelvo::ProjectFormat>;

  explicit FCP106ExportOptionsVC(QWidget* parent = nullptr);
  ~FCP106ExportOptionsVC() override;

  quelvo::ProjectFormat selected() const;
  void setSelected(quelvo::ProjectFormat format);
  // Only these can be chosen; the others stay visible, greyed. A selection
  // outside them moves to the first of them.
  void setOffered(const std::vector<quelvo::ProjectFormat>& formats);
  QRadioButton* choiceButton(quelvo::ProjectFormat format) const;

  // Runs once with the chosen editor, or nothing when cancelled.
  std::function<void(Answer)> onChoice;

  // Outlets.
  QLabel* lblQuestion;
  QLabel* lblFinalCutPro;
  QRadioButton* radFCP106;
  QRadioButton* radOlder;
  QRadioButton* radXmeml;
  QRadioButton* radMlt;
  // Shown while Final Cut Pro projects are sent without a file: says that
  // this applies to Final Cut Pro only.
  QLabel* lblSendNote;
  KyCheckButton* chkRememberMyChoice;
  QPushButton* btnContinue;
  QPushButton* btnCancel;

  // Continue: remembers the choice when asked to, answers and closes.
  void continuePressed();
  // Cancel: answers "no editor" and closes.
  void cancelPressed();
  bool closesOnEscape() const override { return true; }

protected:
  // The chosen editor takes the focus, so the arrow keys start from it.
  void showEvent(QShowEvent* event) override;
  // Escape and the close button: nothing chosen, the job is told at once.
  void hideEvent(QHideEvent* event) override;

private:
  void buildLayout();
  void answer(Answer format);
  QButtonGroup* m_choices;
  bool m_answered = false;
};

} // namespace kyui
