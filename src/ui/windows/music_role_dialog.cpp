#include "ui/windows/music_role_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/notifier.h"
#include "ui/kit/text_field.h"

namespace quelvo::ui {

using Role = SecondFileRole::Role;

MusicRoleDialog::MusicRoleDialog(QWidget* parent)
    : Sheet(parent), m_role(SecondFileRole::shared()) {
    setWindowTitle(tr("Music Role"));
    setClosesOnEscape(true);
    buildLayout();
    const std::pair<QRadioButton*, Role> choices[] = {
        {m_dialogue, Role::dialogue}, {m_music, Role::music}, {m_custom, Role::custom}};
    for (const auto& [radio, role] : choices) {
        // refresh decides which one is on, so the buttons do not switch
        // each other off, and each is its own stop for Tab.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, role = role] { choose(role); });
    }
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void MusicRoleDialog::buildLayout() {
    const int unit = fontMetrics().height();
    auto* title = new QLabel(tr("Role of the music clip in Final Cut Pro:"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_dialogue = new QRadioButton(tr("Dialogue"), this);
    m_dialogue->setObjectName("dialogue");
    m_music = new QRadioButton(tr("Music"), this);
    m_music->setObjectName("music");
    m_custom = new QRadioButton(tr("Custom:"), this);
    m_custom->setObjectName("custom");
    m_customName = new TextField(this);
    m_customName->setObjectName("customName");
    m_customName->setPlaceholderText(tr("Role name"));
    m_customName->setMinimumWidth(14 * unit);
    m_customName->setToolTip(tr("The name of the role as Final Cut Pro shows it"));
    m_custom->setAccessibleName(tr("Custom role"));
    m_customName->setAccessibleName(tr("Custom role name"));

    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);

    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(unit / 2);
    choices->setVerticalSpacing(unit / 3);
    choices->setContentsMargins(unit, 0, 0, 0);
    choices->addWidget(m_dialogue, 0, 0);
    choices->addWidget(m_music, 1, 0);
    choices->addWidget(m_custom, 2, 0);
    choices->addWidget(m_customName, 2, 1);
    choices->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    layout->setSpacing(unit / 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(title);
    layout->addLayout(choices);
    layout->addSpacing(unit / 2);
    layout->addWidget(buttons);
}

void MusicRoleDialog::showOver(QWidget* over) {
    (new MusicRoleDialog(over))->open();
}

void MusicRoleDialog::showEvent(QShowEvent* event) {
    Sheet::showEvent(event);
    if (!event->spontaneous()) refresh();
}

void MusicRoleDialog::hideEvent(QHideEvent* event) {
    Sheet::hideEvent(event);
    if (!event->spontaneous()) Notifier::notify(SecondFileRole::kNotificationKey);
}

void MusicRoleDialog::refresh() {
    for (QRadioButton* radio : {m_dialogue, m_music, m_custom})
        radio->setChecked(false);
    const Role role = m_role.role();
    switch (role) {
    case Role::dialogue:
        m_dialogue->setChecked(true);
        break;
    case Role::music:
        m_music->setChecked(true);
        break;
    default:
        m_custom->setChecked(true);
        break;
    }
    m_customName->setEnabled(role == Role::custom);
    m_customName->configure(m_role.customRole(), true, false,
                            [this](const std::string& text) { m_role.setCustomRole(text); });
}

void MusicRoleDialog::choose(Role role) {
    m_role.setRole(role);
    refresh();
    // Choosing "Custom" is choosing to type a name.
    if (role == Role::custom) m_customName->setFocus(Qt::OtherFocusReason);
}

} // namespace quelvo::ui
