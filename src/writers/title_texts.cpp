#include "writers/title_texts.h"

#include "base/numbers.h"
#include "base/strings.h"
#include "writers/fcpxml_video_fragments.h"

namespace quelvo::titles {

std::string stripQuotes(std::string_view s) {
    return kykit::replace(kykit::replace(s, "\"", "", true), "'", "", true);
}

std::string quotedRGB(const kykit::RgbaColor& c) {
    return "\"" + kykit::string(c.red) + " " + kykit::string(c.green) + " " + kykit::string(c.blue) + "\"";
}

std::string num(double x) { return kykit::string(x); }
std::string num(int64_t x) { return kykit::string(x); }

std::string escapeTitleText(std::string_view text) {
    return kykit::xmlEscapeText(text);
}

std::string xmlSafeText(std::string_view text) { return kymovie::FCPXMLUtils::xmlSafeText(text); }

std::string attributeText(std::string_view text) { return kykit::xmlEscapeAttribute(xmlSafeText(text), true); }

std::string commentText(std::string_view text) {
    std::string t = xmlSafeText(text);
    while (kykit::contains(t, "--")) t = kykit::replace(t, "--", "- -", false);
    return t;
}

} // namespace quelvo::titles
