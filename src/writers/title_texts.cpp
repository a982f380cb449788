#include "writers/title_texts.h"

#include "base/numbers.h"
#include "base/strings.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo::titles {

std::string stripQuotes(std::string_view s) {
    return quelvo::replace(quelvo::replace(s, "\"", "", true), "'", "", true);
}

std::string quotedRGB(const quelvo::RgbaColor& c) {
    return "\"" + quelvo::string(c.red) + " " + quelvo::string(c.green) + " " +
           quelvo::string(c.blue) + "\"";
}

std::string num(double x) {
    return quelvo::string(x);
}
std::string num(int64_t x) {
    return quelvo::string(x);
}

std::string escapeTitleText(std::string_view text) {
    return quelvo::xmlEscapeText(text);
}

std::string xmlSafeText(std::string_view text) {
    return quelvo::fcpxml::xmlSafeText(text);
}

std::string attributeText(std::string_view text) {
    return quelvo::xmlEscapeAttribute(xmlSafeText(text), true);
}

std::string commentText(std::string_view text) {
    std::string t = xmlSafeText(text);
    while (quelvo::contains(t, "--"))
        t = quelvo::replace(t, "--", "- -", false);
    return t;
}

} // namespace quelvo::titles
