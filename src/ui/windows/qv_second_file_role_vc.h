#pragma once
// The role chooser: a small sheet on the main window in which the user picks
// the audio role of the music clip in Final Cut Pro: dialogue, music or a
// name of their own. Every click and keystroke goes straight into the shared
// role object, so there is no cancel; the sheet announces the change when it
// goes away, and the main window redraws its role label.
#include "project/second_file_role.h"
#include "ui/kit/ky_view_controller.h"

class QAbstractButton;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kyui {

class KyTextField;

class QVSecondFileRoleVC : public KyViewController {
    Q_OBJECT
  public:
    explicit QVSecondFileRoleVC(QWidget* parent = nullptr);

    // Shows the chooser as a sheet on the window of `parent`.
    static void show(QWidget* parent);

    // Outlets. The radio buttons carry the tags 0, 1 and 2 of the roles.
    QLabel* lblTitle;
    QRadioButton* radDialogue;
    QRadioButton* radMusic;
    QRadioButton* radCustom;
    KyTextField* fldCustom;
    QPushButton* btnOk;

    // The object being edited.
    kymovie::SecondFileRole& qvSecondFileRole;

    // Actions.
    void radSelected(QAbstractButton* sender);
    void btnOkPressed();

    // Shows the stored role: one radio button on, the name field enabled only
    // for a custom role, and the stored custom name in it.
    void refresh();

    bool closesOnEscape() const override { return true; }

    static int tag(const QAbstractButton* button);

  protected:
    // Each showing starts from the stored role; each closing announces it.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

} // namespace kyui
