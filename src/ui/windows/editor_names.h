#pragma once
// How the desktop program names each editor a project can be written for,
// in one place so the question, the preferences and the result agree.
#include <QString>

#include "project/project_format.h"

namespace quelvo::ui {

// The choice as the editor question and the preferences list it:
// "Premiere Pro / DaVinci Resolve (FCP7 XML)". The two Final Cut Pro
// versions are named as under the question's Final Cut Pro heading.
QString editorChoiceText(ProjectFormat format);
// The same standing alone, where no heading says Final Cut Pro
// ("Final Cut Pro, older versions (FCPXML 1.6)").
QString editorChoiceLongText(ProjectFormat format);
// The kind of file written, for the result: "FCPXML 1.9", "MLT XML".
QString projectKindText(ProjectFormat format);

} // namespace quelvo::ui
