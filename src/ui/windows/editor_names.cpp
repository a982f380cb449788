#include "ui/windows/editor_names.h"

#include <QCoreApplication>

namespace kyui {

namespace {
QString tr(const char* text) {
    return QCoreApplication::translate("EditorNames", text);
}
} // namespace

QString editorChoiceText(quelvo::ProjectFormat format) {
    using quelvo::ProjectFormat;
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

QString editorChoiceLongText(quelvo::ProjectFormat format) {
    if (format == quelvo::ProjectFormat::fcpxml16)
        return tr("Final Cut Pro, older versions (FCPXML 1.6)");
    return editorChoiceText(format);
}

QString projectKindText(quelvo::ProjectFormat format) {
    using quelvo::ProjectFormat;
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

} // namespace kyui
