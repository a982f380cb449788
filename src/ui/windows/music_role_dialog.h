#pragma once
// The role chooser: a small sheet on the main window in which the user picks
// the audio role of the music clip in Final Cut Pro: dialogue, music or a
// name of their own. Every click and keystroke goes straight into the shared
// role object, so there is no cancel; the sheet announces the change when it
// goes away, and the main window redraws its role label.
//
// Its controls are named for tests: "dialogue", "music", "custom" (the
// radio buttons), "customName" and "ok".
#include "project/second_file_role.h"
#include "ui/kit/sheet.h"

class QPushButton;
class QRadioButton;

namespace quelvo::ui {

class TextField;

class MusicRoleDialog : public Sheet {
    Q_OBJECT
  public:
    explicit MusicRoleDialog(QWidget* parent = nullptr);

    // Shows the chooser as a sheet on the window of `over`.
    static void showOver(QWidget* over);

  protected:
    // Each showing starts from the stored role; each closing announces it.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void buildLayout();
    // Shows the stored role: one radio button on, the name field enabled only
    // for a custom role, and the stored custom name in it.
    void refresh();
    void choose(SecondFileRole::Role role);

    SecondFileRole& m_role;
    QRadioButton* m_dialogue = nullptr;
    QRadioButton* m_music = nullptr;
    QRadioButton* m_custom = nullptr;
    TextField* m_customName = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace quelvo::ui
