#include "titles/fcpxml_titles_settings.h"

namespace quelvo {

std::string rawValue(Aligment a) {
    switch (a) {
    case Aligment::notSet: return "notSet";
    case Aligment::left: return "left";
    case Aligment::center: return "center";
    case Aligment::right: return "right";
    case Aligment::justified: return "justified";
    }
    return "center";
}

std::optional<Aligment> aligmentFromRaw(std::string_view raw) {
    for (const Aligment a : kAllAligments)
        if (rawValue(a) == raw) return a;
    return std::nullopt;
}

std::string displayText(Aligment a) {
    if (a == Aligment::notSet) return "Not Set";
    std::string text = rawValue(a);
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace quelvo
