#pragma once
// Hand-overs to the GUI thread. Worker threads (the ducking job, the toolkit's
// queue) never touch a widget: they post a block to the application object,
// which lives as long as the program, and the block checks on the GUI thread
// whether its widgets still exist.
#include <functional>

#include <QPointer>
#include <QString>

class QLabel;

namespace kyui {

bool isMainThread();

// Runs block now when called on the GUI thread, else queues it there.
void runOnMain(std::function<void()> block);

// NSTextField.setValue of the toolkit: shows text in the label, from any
// thread. Take the QPointer on the GUI thread before handing it to a worker,
// so that a label deleted meanwhile is simply skipped.
void setValue(const QPointer<QLabel>& label, const QString& text);

} // namespace kyui
