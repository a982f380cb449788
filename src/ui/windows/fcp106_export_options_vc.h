#pragma once
// The version sheet's window: which Final Cut Pro will open the project,
// 10.6 and later (FCPXML 1.9) or older versions (FCPXML 1.6). The job waits
// for the answer. Cancel, Escape, the window's close button and any other
// way of closing it answer "cancelled": the job writes nothing.
#include <functional>

#include "platform/movie/version_sheet.h"
#include "ui/kit/ky_view_controller.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace kyui {

class KyCheckButton;

class FCP106ExportOptionsVC : public KyViewController {
    Q_OBJECT
public:
    using Version = kymovie::FCP106ExportOptionsVC::Version;
    static constexpr const char* kStoryboard = "KyMovie";
    static constexpr const char* kSceneId = "FCP106ExportOptionsVC";

    explicit FCP106ExportOptionsVC(QWidget* parent = nullptr);
    ~FCP106ExportOptionsVC() override;

    Version selected() const;
    void setSelected(Version version);

    // Runs once with the chosen version.
    std::function<void(Version)> onChoice;

    // Outlets.
    QLabel* lblQuestion;
    QRadioButton* radFCP106;
    QRadioButton* radOlder;
    KyCheckButton* chkRememberMyChoice;
    QPushButton* btnContinue;
    QPushButton* btnCancel;

    // Continue: remembers the choice when asked to, answers and closes.
    void continuePressed();
    // Cancel: answers "cancelled" and closes.
    void cancelPressed();
    bool closesOnEscape() const override { return true; }

  protected:
    // Escape and the close button: nothing chosen, the job is told at once.
    void viewWillDisappear() override;

  private:
    void answer(Version version);
    bool m_answered = false;
};

} // namespace kyui
