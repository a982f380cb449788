#pragma once
// The two questions a ducking job may put to the editor before it writes:
// whether to replace a project that is already there, and whether to write
// a project in which no speech was found. The wording of the facts comes
// from the core (noSpeechWarning, keepBothPath); these only ask.
#include <functional>
#include <optional>
#include <string>

#include <QPointer>
#include <QWidget>

namespace quelvo::ui {

// On the GUI thread, when Duck is pressed. Calls proceed at once with target
// when nothing is there; else asks Replace / Keep Both / Cancel and calls
// proceed with target (Replace) or with the first free "name 2.fcpxml",
// "name 3.fcpxml", ... beside it (Keep Both); Cancel calls nothing.
void askBeforeReplacing(QWidget* parent, const std::string& target,
                        const std::function<void(const std::string& path)>& proceed);

// From any thread (the job's): asks Write Anyway / Cancel on the GUI thread,
// over parent while it still exists, waits for the answer and returns true
// for Write Anyway. Take the pointer on the GUI thread.
bool askToWriteWithoutSpeech(const QPointer<QWidget>& parent, const std::string& warning);

// From any thread (the job's), once the project's file name is known and
// something is there: asks Replace / Keep Both / Cancel on the GUI thread and
// returns `target` (Replace), the first free numbered name beside it (Keep
// Both) or nothing (Cancel, or the window is gone).
std::optional<std::string> askWhereToWrite(const QPointer<QWidget>& parent,
                                           const std::string& target);

} // namespace quelvo::ui
