#include "ui/kit/main_thread.h"

#include <QCoreApplication>
#include <QLabel>
#include <QThread>

namespace kyui {

bool isMainThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void runOnMain(std::function<void()> block) {
    if (isMainThread()) {
        block();
        return;
    }
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(block), Qt::QueuedConnection);
}

void setValue(const QPointer<QLabel>& label, const QString& text) {
    runOnMain([label, text] {
        if (label) label->setText(text);
    });
}

} // namespace kyui
