#include "ui/kit/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/services.h"
#include "ui/kit/resources.h"

namespace quelvo::ui {

namespace {

QPointer<AboutDialog>& openPanel() {
    static QPointer<AboutDialog> panel;
    return panel;
}

// "1.0.0.1" -> "Version 1.0 (build 1)": users know the first two numbers.
QString versionText() {
    const QStringList parts = QString::fromStdString(BuildVersion::versionString()).split('.');
    const QString shortVersion = parts.mid(0, 2).join('.');
    return AboutDialog::tr("Version %1 (build %2)")
        .arg(shortVersion)
        .arg(static_cast<long>(BuildVersion::buildNumber()));
}

} // namespace

AboutDialog::AboutDialog(const QString& appName, const QString& imageName,
                         const QStringList& textList, QWidget* owner)
    : Panel(owner), m_appName(appName), m_imageName(imageName), m_textList(textList) {
    initResources();
    setWindowTitle(tr("About %1").arg(appName));
    buildLayout();
}

void AboutDialog::buildLayout() {
    const int unit = fontMetrics().height();
    auto* picture = new QLabel(this);
    picture->setObjectName("picture");
    QPixmap image(QStringLiteral(":/images/%1.png").arg(m_imageName));
    if (!image.isNull()) {
        image.setDevicePixelRatio(2.0);
        picture->setPixmap(image);
        picture->setFixedSize(image.deviceIndependentSize().toSize());
    } else {
        picture->hide();
    }

    auto* name = new QLabel(m_appName, this);
    name->setObjectName("appName");
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2.0);
    name->setFont(nameFont);

    auto* version = new QLabel(versionText(), this);
    version->setObjectName("version");
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette dim = version->palette();
    QColor dimText = dim.color(QPalette::WindowText);
    dimText.setAlpha(170);
    dim.setColor(QPalette::WindowText, dimText);
    version->setPalette(dim);

    auto* credits = new QVBoxLayout;
    credits->setSpacing(unit / 3);
    QFont creditFont = font();
    creditFont.setPointSizeF(creditFont.pointSizeF() * 0.92);
    for (const QString& line : m_textList) {
        auto* label = new QLabel(line, this);
        label->setObjectName("credit");
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setFont(creditFont);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Credit lines wrap at a readable width instead of stretching the panel.
        label->setFixedWidth(26 * unit);
        credits->addWidget(label);
    }

    auto* close = new QPushButton(tr("Close"), this);
    close->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(close, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* text = new QVBoxLayout;
    text->setSpacing(unit / 4);
    text->addWidget(name);
    text->addWidget(version);
    text->addSpacing(unit);
    text->addLayout(credits);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(3 * unit / 2);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    page->setSpacing(unit);
    page->addLayout(top);
    page->addWidget(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);
}

AboutDialog* AboutDialog::showOnce(const QString& appName, const QString& imageName,
                                   const QStringList& textList, QWidget* owner) {
    if (AboutDialog* open = openPanel()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* panel = new AboutDialog(appName, imageName, textList, owner);
    openPanel() = panel;
    panel->showPlaced();
    return panel;
}

AboutDialog* AboutDialog::current() {
    return openPanel();
}

} // namespace quelvo::ui
