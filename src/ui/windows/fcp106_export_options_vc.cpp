#include "ui/windows/fcp106_export_options_vc.h"

#include <algorithm>

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "project/version_question_settings.h"
#include "project/format_choice.h"
#include "titles/fcpxml_titles_settings.h"
#include "ui/kit/bold_label.h"
#include "ui/kit/ky_check_button.h"
#include "ui/windows/editor_names.h"

namespace kyui {

using quelvo::ProjectFormat;

namespace {
} // namespace

FCP106ExportOptionsVC::FCP106ExportOptionsVC(QWidget* parent) : KyViewController(parent) {
    setWindowTitle(tr("Project Editor"));
    buildLayout();
    setSelected(quelvo::preferredFormat());
    chkRememberMyChoice->configure(
        kymovie::VersionQuestionSettings::shared().rememberMyChoice(),
        [](bool on) { kymovie::VersionQuestionSettings::shared().setRememberMyChoice(on); });
    connect(btnContinue, &QPushButton::clicked, this, &FCP106ExportOptionsVC::continuePressed);
    connect(btnCancel, &QPushButton::clicked, this, &FCP106ExportOptionsVC::cancelPressed);
}

void FCP106ExportOptionsVC::buildLayout() {
    lblQuestion = boldLabel(tr("Which editor will open this project?"), this);
    lblFinalCutPro = new QLabel(tr("Final Cut Pro"), this);
    m_choices = new QButtonGroup(this);
    const auto choice = [this](ProjectFormat format) {
        auto* button = new QRadioButton(editorChoiceText(format), this);
        m_choices->addButton(button, static_cast<int>(format));
        return button;
    };
    radFCP106 = choice(ProjectFormat::fcpxml19);
    radOlder = choice(ProjectFormat::fcpxml16);
    radXmeml = choice(ProjectFormat::xmeml);
    radMlt = choice(ProjectFormat::mlt);
    lblSendNote = new QLabel(tr("Final Cut Pro projects are sent straight to Final Cut Pro; "
                                "the other editors' projects are saved as files."),
                             this);
    lblSendNote->setWordWrap(true);
    lblSendNote->setForegroundRole(QPalette::PlaceholderText);
    lblSendNote->setVisible(
        quelvo::FCPXML_Titles_Settings::shared().xmlExport.sendToFCPWithoutXMLFile);
    chkRememberMyChoice = new KyCheckButton(tr("Remember my choice"), this);
    chkRememberMyChoice->setToolTip(tr("Use this editor from now on without asking. "
                                       "You can change it in the preferences."));
    btnContinue = new QPushButton(tr("Continue"), this);
    btnContinue->setDefault(true);
    btnContinue->setAutoDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setAutoDefault(false);
    btnCancel->setToolTip(tr("Write nothing"));

    const int unit = fontMetrics().height();
    // The two versions sit under their heading, indented, so the heading
    // reads as the editor and the lines as its versions.
    auto* versions = new QVBoxLayout;
    versions->setContentsMargins(unit, 0, 0, 0);
    versions->addWidget(radFCP106);
    versions->addWidget(radOlder);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(unit * 3 / 2, unit * 3 / 2, unit * 3 / 2, unit);
    layout->addWidget(lblQuestion);
    layout->addSpacing(unit / 2);
    layout->addWidget(lblFinalCutPro);
    layout->addLayout(versions);
    layout->addWidget(radXmeml);
    layout->addWidget(radMlt);
    layout->addWidget(lblSendNote);
    layout->addSpacing(unit / 2);
    layout->addWidget(chkRememberMyChoice);
    layout->addSpacing(unit / 2);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnContinue, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
}

FCP106ExportOptionsVC::~FCP106ExportOptionsVC() {
    // The waiting job must get its answer however the sheet went: Escape, the
    // close button or quitting cancel.
    answer(std::nullopt);
}

ProjectFormat FCP106ExportOptionsVC::selected() const {
    const int id = m_choices->checkedId();
    return id < 0 ? quelvo::preferredFormat() : static_cast<ProjectFormat>(id);
}

QRadioButton* FCP106ExportOptionsVC::choiceButton(ProjectFormat format) const {
    return qobject_cast<QRadioButton*>(m_choices->button(static_cast<int>(format)));
}

void FCP106ExportOptionsVC::setSelected(ProjectFormat format) {
    if (QRadioButton* button = choiceButton(format); button && button->isEnabled())
        button->setChecked(true);
}

void FCP106ExportOptionsVC::setOffered(const std::vector<ProjectFormat>& formats) {
    for (ProjectFormat format : quelvo::allProjectFormats()) {
        const bool offered = std::find(formats.begin(), formats.end(), format) != formats.end();
        choiceButton(format)->setEnabled(offered);
        choiceButton(format)->setToolTip(
            offered ? QString() : tr("This job writes Final Cut Pro projects only"));
    }
    if (!formats.empty() && !choiceButton(selected())->isEnabled()) setSelected(formats.front());
}

void FCP106ExportOptionsVC::continuePressed() {
    if (kymovie::VersionQuestionSettings::shared().rememberMyChoice()) quelvo::rememberFormat(selected());
    answer(selected());
    close();
}

void FCP106ExportOptionsVC::cancelPressed() {
    answer(std::nullopt);
    close();
}

void FCP106ExportOptionsVC::showEvent(QShowEvent* event) {
    KyViewController::showEvent(event);
    if (event->spontaneous()) return;
    if (QRadioButton* chosen = choiceButton(selected()))
        chosen->setFocus(Qt::ActiveWindowFocusReason);
}

void FCP106ExportOptionsVC::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) answer(std::nullopt);
    KyViewController::hideEvent(event);
}

void FCP106ExportOptionsVC::answer(Answer format) {
    if (m_answered) return;
    m_answered = true;
    if (onChoice) onChoice(format);
}

} // namespace kyui
