#include "ui/kit/ky_about_view.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/services.h"
#include "ui/kit/ky_window_placement.h"
#include "ui/kit/resources.h"

namespace kyui {

namespace {

QPointer<KyAboutPanel>& openPanel() {
    static QPointer<KyAboutPanel> panel;
    return panel;
}

// "1.0.0.1" -> "Version 1.0 (build 1)": users know the first two numbers.
QString versionText() {
    const QStringList parts = QString::fromStdString(kykit::VersionUpdate::versionString()).split('.');
    const QString shortVersion = parts.mid(0, 2).join('.');
    return KyAboutPanel::tr("Version %1 (build %2)")
        .arg(shortVersion)
        .arg(static_cast<long>(kykit::VersionUpdate::getCurrentBuild()));
}

} // namespace

KyAboutPanel::KyAboutPanel(const QString& appName, const QString& imageName, const QStringList& textList,
                           QWidget* owner)
    : QDialog(owner), m_appName(appName), m_imageName(imageName), m_textList(textList) {
    initResources();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About %1").arg(appName));
    const int unit = fontMetrics().height();

    imgAbout = new QLabel(this);
    imgAbout->setObjectName("imgAbout");
    QPixmap picture(QStringLiteral(":/images/%1.png").arg(imageName));
    if (!picture.isNull()) {
        picture.setDevicePixelRatio(2.0);
        imgAbout->setPixmap(picture);
        imgAbout->setFixedSize(picture.deviceIndependentSize().toSize());
    } else {
        imgAbout->hide();
    }

    lblAppName = new QLabel(appName, this);
    QFont nameFont = lblAppName->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2.0);
    lblAppName->setFont(nameFont);

    lblVersion = new QLabel(versionText(), this);
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette dim = lblVersion->palette();
    QColor dimText = dim.color(QPalette::WindowText);
    dimText.setAlpha(170);
    dim.setColor(QPalette::WindowText, dimText);
    lblVersion->setPalette(dim);

    auto* credits = new QVBoxLayout;
    credits->setSpacing(unit / 3);
    QFont creditFont = font();
    creditFont.setPointSizeF(creditFont.pointSizeF() * 0.92);
    for (const QString& line : textList) {
        auto* label = new QLabel(line, this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setFont(creditFont);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        credits->addWidget(label);
        lblCredits << label;
    }

    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* text = new QVBoxLayout;
    text->setSpacing(unit / 4);
    text->addWidget(lblAppName);
    text->addWidget(lblVersion);
    text->addSpacing(unit);
    text->addLayout(credits);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(3 * unit / 2);
    top->addWidget(imgAbout, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(3 * unit / 2, 3 * unit / 2, 3 * unit / 2, unit);
    page->setSpacing(unit);
    page->addLayout(top);
    page->addWidget(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);
    // Credit lines wrap at a readable width instead of stretching the panel.
    for (QLabel* label : lblCredits) label->setFixedWidth(26 * unit);
}

KyAboutPanel* KyAboutView::show(const QString& appName, const QString& imageName, const QStringList& textList,
                                QWidget* owner) {
    if (KyAboutPanel* open = openPanel()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* panel = new KyAboutPanel(appName, imageName, textList, owner ? owner->window() : nullptr);
    openPanel() = panel;
    placeNewWindow(panel);
    panel->show();
    return panel;
}

KyAboutPanel* KyAboutView::current() { return openPanel(); }

} // namespace kyui
