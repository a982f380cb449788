#include "ui/windows/editor_names.h"

#include <QCoreApplication>

namespace quelvo::ui {

namespace {
QString tr(const char* text) {
    return QCoreApplication::translate("EditorNames", text);
}
} // namespace

QString editorChoiceText(ProjectFormat format) {
    switch (format) {
    case ProjectFormat::fcpxml19:
        return tr("Final Cut Pro 10.6 and later (FCPXML 1.9)");
    case ProjectFormat::fcpxml16:
        return tr("Older versions (FCPXML 1.6)");
    case ProjectFormat::xmeml:
        return tr("Premiere Pro / DaVinci Resolve (FCP7 XML)");
    case ProjectFormat::mlt:
        return tr("Shotcut (MLT)");
    }
    return {};
}

QString editorChoiceLongText(ProjectFormat format) {
    if (format == ProjectFormat::fcpxml16) return tr("Final Cut Pro, older versions (FCPXML 1.6)");
    return editorChoiceText(format);
}

QString projectKindText(ProjectFormat format) {
    switch (format) {
    case ProjectFormat::fcpxml19:
        return QStringLiteral("FCPXML 1.9");
    case ProjectFormat::fcpxml16:
        return QStringLiteral("FCPXML 1.6");
    case ProjectFormat::xmeml:
        return tr("FCP7 XML");
    case ProjectFormat::mlt:
        return tr("MLT XML");
    }
    return {};
}

} // namespace quelvo::ui
