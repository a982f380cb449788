#include "ui/windows/editor_choice_dialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "project/format_choice.h"
#include "project/version_question_settings.h"
#include "titles/titles_settings.h"
#include "ui/kit/bold_label.h"
#include "ui/kit/check_box.h"
#include "ui/windows/editor_names.h"

namespace quelvo::ui {

EditorChoiceDialog::EditorChoiceDialog(QWidget* parent) : Sheet(parent) {
    setWindowTitle(tr("Project Editor"));
    setClosesOnEscape(true);
    buildLayout();
    setSelected(quelvo::preferredFormat());
    m_rememberMyChoice->configure(
        VersionQuestionSettings::shared().rememberMyChoice(),
        [](bool on) { VersionQuestionSettings::shared().setRememberMyChoice(on); });
    connect(m_continue, &QPushButton::clicked, this, &EditorChoiceDialog::continuePressed);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QRadioButton* EditorChoiceDialog::addChoice(ProjectFormat format) {
    auto* button = new QRadioButton(editorChoiceText(format), this);
    m_choices->addButton(button, static_cast<int>(format));
    return button;
}

void EditorChoiceDialog::buildLayout() {
    auto* question = boldLabel(tr("Which editor will open this project?"), this);
    auto* finalCutPro = new QLabel(tr("Final Cut Pro"), this);
    finalCutPro->setObjectName("finalCutPro");
    m_choices = new QButtonGroup(this);
    QRadioButton* newer = addChoice(ProjectFormat::fcpxml19);
    QRadioButton* older = addChoice(ProjectFormat::fcpxml16);
    QRadioButton* xmeml = addChoice(ProjectFormat::xmeml);
    QRadioButton* mlt = addChoice(ProjectFormat::mlt);
    auto* sendNote = new QLabel(tr("Final Cut Pro projects are sent straight to Final Cut Pro; "
                                   "the other editors' projects are saved as files."),
                                this);
    sendNote->setObjectName("sendNote");
    sendNote->setWordWrap(true);
    sendNote->setForegroundRole(QPalette::PlaceholderText);
    sendNote->setVisible(TitlesSettings::shared().xmlExport.sendToFCPWithoutXMLFile);
    m_rememberMyChoice = new CheckBox(tr("Remember my choice"), this);
    m_rememberMyChoice->setObjectName("rememberMyChoice");
    m_rememberMyChoice->setToolTip(tr("Use this editor from now on without asking. "
                                      "You can change it in the preferences."));
    m_continue = new QPushButton(tr("Continue"), this);
    m_continue->setObjectName("continue");
    m_continue->setDefault(true);
    m_continue->setAutoDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("cancel");
    m_cancel->setAutoDefault(false);
    m_cancel->setToolTip(tr("Write nothing"));

    const int unit = fontMetrics().height();
    // The two versions sit under their heading, indented, so the heading
    // reads as the editor and the lines as its versions.
    auto* versions = new QVBoxLayout;
    versions->setContentsMargins(unit, 0, 0, 0);
    versions->addWidget(newer);
    versions->addWidget(older);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(unit * 3 / 2, unit * 3 / 2, unit * 3 / 2, unit);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(question);
    layout->addSpacing(unit / 2);
    layout->addWidget(finalCutPro);
    layout->addLayout(versions);
    layout->addWidget(xmeml);
    layout->addWidget(mlt);
    layout->addWidget(sendNote);
    layout->addSpacing(unit / 2);
    layout->addWidget(m_rememberMyChoice);
    layout->addSpacing(unit / 2);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_continue, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
}

EditorChoiceDialog::~EditorChoiceDialog() {
    // The waiting job must get its answer however the sheet went: Escape, the
    // close button or quitting cancel.
    answer(std::nullopt);
}

ProjectFormat EditorChoiceDialog::selected() const {
    const int id = m_choices->checkedId();
    return id < 0 ? quelvo::preferredFormat() : static_cast<ProjectFormat>(id);
}

QRadioButton* EditorChoiceDialog::choiceButton(ProjectFormat format) const {
    return qobject_cast<QRadioButton*>(m_choices->button(static_cast<int>(format)));
}

void EditorChoiceDialog::setSelected(ProjectFormat format) {
    if (QRadioButton* button = choiceButton(format); button && button->isEnabled())
        button->setChecked(true);
}

void EditorChoiceDialog::setOffered(const std::vector<ProjectFormat>& formats) {
    for (ProjectFormat format : quelvo::allProjectFormats()) {
        const bool offered = std::find(formats.begin(), formats.end(), format) != formats.end();
        choiceButton(format)->setEnabled(offered);
        choiceButton(format)->setToolTip(
            offered ? QString() : tr("This job writes Final Cut Pro projects only"));
    }
    if (!formats.empty() && !choiceButton(selected())->isEnabled()) setSelected(formats.front());
}

void EditorChoiceDialog::continuePressed() {
    if (VersionQuestionSettings::shared().rememberMyChoice()) quelvo::rememberFormat(selected());
    answer(selected());
    accept();
}

void EditorChoiceDialog::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (event->spontaneous()) return;
    if (QRadioButton* chosen = choiceButton(selected()))
        chosen->setFocus(Qt::ActiveWindowFocusReason);
}

void EditorChoiceDialog::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) answer(std::nullopt);
    Sheet::hideEvent(event);
}

void EditorChoiceDialog::answer(Answer format) {
    if (m_answered) return;
    m_answered = true;
    if (m_onAnswer) m_onAnswer(format);
}

} // namespace quelvo::ui
