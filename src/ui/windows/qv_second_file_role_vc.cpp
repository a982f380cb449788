#include "ui/windows/qv_second_file_role_vc.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/notifier.h"
#include "ui/kit/ky_text_field.h"
#include "ui/kit/ky_windows.h"

namespace kyui {

using Role = kymovie::SecondFileRole::Role;

namespace {

constexpr const char* kTagProperty = "tag";

} // namespace

QVSecondFileRoleVC::QVSecondFileRoleVC(QWidget* parent)
    : KyViewController(parent), qvSecondFileRole(kymovie::SecondFileRole::shared()) {
    setWindowTitle(tr("Music Role"));
    const int unit = fontMetrics().height();

    lblTitle = new QLabel(tr("Role of the music clip in Final Cut Pro:"), this);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    radDialogue = new QRadioButton(tr("Dialogue"), this);
    radMusic = new QRadioButton(tr("Music"), this);
    radCustom = new QRadioButton(tr("Custom:"), this);
    int tag = 0;
    for (QRadioButton* radio : {radDialogue, radMusic, radCustom}) {
        radio->setProperty(kTagProperty, tag++);
        // refresh decides which one is on, so the buttons do not switch
        // each other off, and each is its own stop for Tab.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, radio] { radSelected(radio); });
    }
    fldCustom = new KyTextField(this);
    fldCustom->setPlaceholderText(tr("Role name"));
    fldCustom->setMinimumWidth(14 * unit);
    fldCustom->setToolTip(tr("The name of the role as Final Cut Pro shows it"));
    radCustom->setAccessibleName(tr("Custom role"));
    fldCustom->setAccessibleName(tr("Custom role name"));

    btnOk = new QPushButton(tr("OK"), this);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QVSecondFileRoleVC::btnOkPressed);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);

    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(unit / 2);
    choices->setVerticalSpacing(unit / 3);
    choices->setContentsMargins(unit, 0, 0, 0);
    choices->addWidget(radDialogue, 0, 0);
    choices->addWidget(radMusic, 1, 0);
    choices->addWidget(radCustom, 2, 0);
    choices->addWidget(fldCustom, 2, 1);
    choices->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    layout->setSpacing(unit / 2);
    layout->addWidget(lblTitle);
    layout->addLayout(choices);
    layout->addSpacing(unit / 2);
    layout->addWidget(buttons);
}

void QVSecondFileRoleVC::show(QWidget* parent) {
    KyWindows::sheet(new QVSecondFileRoleVC, parent, true);
}

int QVSecondFileRoleVC::tag(const QAbstractButton* button) {
    return button ? button->property(kTagProperty).toInt() : -1;
}

void QVSecondFileRoleVC::showEvent(QShowEvent* event) {
    KyViewController::showEvent(event);
    if (!event->spontaneous()) refresh();
}

void QVSecondFileRoleVC::hideEvent(QHideEvent* event) {
    KyViewController::hideEvent(event);
    if (!event->spontaneous()) kykit::Notifier::notify(kymovie::SecondFileRole::kNotificationKey);
}

void QVSecondFileRoleVC::refresh() {
    for (QRadioButton* radio : {radDialogue, radMusic, radCustom}) radio->setChecked(false);
    const Role role = qvSecondFileRole.role();
    switch (role) {
    case Role::dialogue: radDialogue->setChecked(true); break;
    case Role::music: radMusic->setChecked(true); break;
    default: radCustom->setChecked(true); break;
    }
    fldCustom->setEnabled(role == Role::custom);
    fldCustom->configure(qvSecondFileRole.customRole(), true, false,
                         [this](const std::string& text) { qvSecondFileRole.setCustomRole(text); });
}

void QVSecondFileRoleVC::radSelected(QAbstractButton* sender) {
    switch (tag(sender)) {
    case 0: qvSecondFileRole.setRole(Role::dialogue); break;
    case 1: qvSecondFileRole.setRole(Role::music); break;
    default: qvSecondFileRole.setRole(Role::custom); break;
    }
    refresh();
    // Choosing "Custom" is choosing to type a name.
    if (sender == radCustom) fldCustom->setFocus(Qt::OtherFocusReason);
}

void QVSecondFileRoleVC::btnOkPressed() { close(); }

} // namespace kyui
