#include "ui/windows/titles_presets_bar.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>

#include "titles/title_presets.h"
#include "ui/kit/alert.h"
#include "ui/kit/window_title.h"
#include "ui/windows/titles_style_panel.h"

namespace quelvo::ui {

namespace tp = quelvo::titlepresets;

TitlesPresetsBar::TitlesPresetsBar(QWidget* parent) : QWidget(parent) {
    m_presetChoice = new QComboBox(this);
    m_presetChoice->setToolTip(tr("Load a saved set of title settings"));
    m_presetChoice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_menuButton = new QToolButton(this);
    m_menuButton->setText(tr("Presets"));
    m_menuButton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(m_menuButton);
    menu->addAction(tr("Save Settings as Preset…"), this, &TitlesPresetsBar::askName);
    menu->addAction(tr("Delete Preset"), this, &TitlesPresetsBar::deleteCurrent);
    menu->addSeparator();
    menu->addAction(tr("Import Preset…"), this, &TitlesPresetsBar::importFile);
    menu->addAction(tr("Export Settings…"), this, &TitlesPresetsBar::exportFile);
    m_menuButton->setMenu(menu);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Preset:"), this));
    layout->addWidget(m_presetChoice, 1);
    layout->addWidget(m_menuButton);
    connect(m_presetChoice, &QComboBox::activated, this, [this](int i) {
        if (i > 0) loadPreset(m_presetChoice->itemText(i).toStdString());
    });
    reload();
}

void TitlesPresetsBar::reload() {
    const QSignalBlocker block(m_presetChoice);
    const QString current = m_presetChoice->currentText();
    m_presetChoice->clear();
    m_presetChoice->addItem(tr("Choose a preset…"));
    for (const TitlePreset& p : tp::all())
        m_presetChoice->addItem(QString::fromStdString(p.name));
    const int index = m_presetChoice->findText(current);
    m_presetChoice->setCurrentIndex(index > 0 ? index : 0);
}

bool TitlesPresetsBar::loadPreset(const std::string& name) {
    for (const TitlePreset& p : tp::all()) {
        if (p.name != name) continue;
        auto& shared = TitlesSettings::shared();
        const XMLExport afterExport = shared.xmlExport;
        const bool border = shared.doBorder;
        shared = p.settings;
        shared.xmlExport = afterExport;
        shared.doBorder = border;
        TitlesStylePanel::storeAndAnnounce();
        const QSignalBlocker block(m_presetChoice);
        m_presetChoice->setCurrentIndex(m_presetChoice->findText(QString::fromStdString(name)));
        return true;
    }
    return false;
}

bool TitlesPresetsBar::savePreset(const std::string& name) {
    const Status status = tp::save(name, TitlesSettings::shared());
    if (!status) {
        Alert::ok("Warning", "The preset was not saved: " + status.message(), this);
        return false;
    }
    reload();
    const QSignalBlocker block(m_presetChoice);
    m_presetChoice->setCurrentIndex(m_presetChoice->findText(QString::fromStdString(name)));
    return true;
}

void TitlesPresetsBar::askName() {
    QInputDialog dialog(this);
    dialog.setObjectName("savePresetDialog");
    dialog.setWindowTitle(tr("Save Preset"));
    dialog.setLabelText(tr("Name of the preset:"));
    sizeToTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString name = dialog.textValue().trimmed();
    if (!name.isEmpty()) savePreset(name.toStdString());
}

void TitlesPresetsBar::importFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Import Preset"), QString(), tr("Presets (*.json)"));
    if (path.isEmpty()) return;
    std::string name;
    const Status status = tp::importFrom(path.toStdString(), &name);
    if (!status)
        return Alert::ok("Warning", "The preset was not imported: " + status.message(), this);
    reload();
    loadPreset(name);
}

void TitlesPresetsBar::exportFile() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export Settings"), tr("Title settings.json"), tr("Presets (*.json)"));
    if (path.isEmpty()) return;
    const Status status = tp::exportTo(path.toStdString(), TitlesSettings::shared());
    if (!status) Alert::ok("Warning", "The settings were not exported: " + status.message(), this);
}

void TitlesPresetsBar::deleteCurrent() {
    const std::string name =
        m_presetChoice->currentIndex() > 0 ? m_presetChoice->currentText().toStdString() : "";
    for (const TitlePreset& p : tp::shipped())
        if (p.name == name)
            return Alert::ok("Warning", "\"" + name + "\" comes with Quelvo and stays.", this);
    if (name.empty()) return;
    const Status status = tp::remove(name);
    if (!status) Alert::ok("Warning", "The preset was not deleted: " + status.message(), this);
    reload();
}

} // namespace quelvo::ui
