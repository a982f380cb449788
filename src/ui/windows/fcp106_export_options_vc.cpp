#include "ui/windows/fcp106_export_options_vc.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/movie/fcp106_prefs.h"
#include "ui/kit/ky_check_button.h"
#include "ui/kit/ky_storyboard.h"

namespace kyui {

namespace {
const KySceneRegistration kScene(FCP106ExportOptionsVC::kStoryboard, FCP106ExportOptionsVC::kSceneId,
                                 [] { return new FCP106ExportOptionsVC; });
} // namespace

FCP106ExportOptionsVC::FCP106ExportOptionsVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(tr("Project Version"));
    lblQuestion = new QLabel(tr("Which version of Final Cut Pro will open this project?"), this);
    QFont bold = lblQuestion->font();
    bold.setBold(true);
    lblQuestion->setFont(bold);
    radFCP106 = new QRadioButton(tr("Final Cut Pro 10.6 and later (FCPXML 1.9)"), this);
    radOlder = new QRadioButton(tr("Older versions (FCPXML 1.6)"), this);
    chkRememberMyChoice = new KyCheckButton(tr("Remember my choice"), this);
    chkRememberMyChoice->setToolTip(tr("Use this version from now on without asking. "
                                       "You can change it in the preferences."));
    btnContinue = new QPushButton(tr("Continue"), this);
    btnContinue->setDefault(true);
    btnContinue->setAutoDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setAutoDefault(false);
    btnCancel->setToolTip(tr("Write nothing"));

    auto* layout = new QVBoxLayout(this);
    const int unit = fontMetrics().height();
    layout->setContentsMargins(unit * 3 / 2, unit * 3 / 2, unit * 3 / 2, unit);
    layout->addWidget(lblQuestion);
    layout->addSpacing(unit / 2);
    layout->addWidget(radFCP106);
    layout->addWidget(radOlder);
    layout->addSpacing(unit / 2);
    layout->addWidget(chkRememberMyChoice);
    layout->addSpacing(unit / 2);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnContinue, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    auto& prefs = kymovie::KyFCP106Prefs::shared();
    setSelected(prefs.preferFCP106() ? Version::fcp106 : Version::olderVersions);
    chkRememberMyChoice->configure(prefs.rememberMyChoice(), [](bool on) {
        kymovie::KyFCP106Prefs::shared().setRememberMyChoice(on);
    });
    connect(btnContinue, &QPushButton::clicked, this, &FCP106ExportOptionsVC::continuePressed);
    connect(btnCancel, &QPushButton::clicked, this, &FCP106ExportOptionsVC::cancelPressed);
}

FCP106ExportOptionsVC::~FCP106ExportOptionsVC() {
    // The waiting job must get its answer however the sheet went: Escape, the
    // close button or quitting cancel.
    answer(Version::cancelled);
}

FCP106ExportOptionsVC::Version FCP106ExportOptionsVC::selected() const {
    return radOlder->isChecked() ? Version::olderVersions : Version::fcp106;
}

void FCP106ExportOptionsVC::setSelected(Version version) {
    (version == Version::olderVersions ? radOlder : radFCP106)->setChecked(true);
}

void FCP106ExportOptionsVC::continuePressed() {
    auto& prefs = kymovie::KyFCP106Prefs::shared();
    if (prefs.rememberMyChoice()) prefs.setRememberedChoice(selected());
    answer(selected());
    close();
}

void FCP106ExportOptionsVC::cancelPressed() {
    answer(Version::cancelled);
    close();
}

void FCP106ExportOptionsVC::viewWillDisappear() {
    answer(Version::cancelled);
    KyViewController::viewWillDisappear();
}

void FCP106ExportOptionsVC::answer(Version version) {
    if (m_answered) return;
    m_answered = true;
    if (onChoice) onChoice(version);
}

} // namespace kyui
