#include "titles/titles_settings.h"

namespace quelvo {

std::string rawValue(Alignment a) {
    switch (a) {
    case Alignment::notSet:
        return "notSet";
    case Alignment::left:
        return "left";
    case Alignment::center:
        return "center";
    case Alignment::right:
        return "right";
    case Alignment::justified:
        return "justified";
    }
    return "center";
}

std::optional<Alignment> alignmentFromRaw(std::string_view raw) {
    for (const Alignment a : kAllAlignments)
        if (rawValue(a) == raw) return a;
    return std::nullopt;
}

std::string displayText(Alignment a) {
    if (a == Alignment::notSet) return "Not Set";
    std::string text = rawValue(a);
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace quelvo
