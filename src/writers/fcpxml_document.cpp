#include "writers/fcpxml_document.h"

#include "base/strings.h"

namespace quelvo::fcpxml {

namespace {

// XML forbids "--" inside a comment (the blanks around it cover a "-" at
// either end).
std::string commentText(const std::string& comment) {
    std::string out;
    for (const char c : comment) {
        if (c == '-' && !out.empty() && out.back() == '-') out += ' ';
        out += c;
    }
    return out;
}

} // namespace

std::string getXML(const std::string& resources, const std::string& library,
                   const std::string& libraryLocation, const std::string& comment,
                   const std::string& version) {
    std::string xml;
    xml.reserve(resources.size() + library.size() + 512);
    xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<!DOCTYPE fcpxml>\n";
    xml += "<!-- " + commentText(comment) + " -->\n";
    xml += "<fcpxml version=\"" + quelvo::xmlEscapeAttribute(version, true) + "\">\n";
    xml += "<resources>\n";
    xml += resources;
    xml += "\n</resources>\n";
    xml += "<library location=\"" + quelvo::xmlEscapeAttribute(libraryLocation, true) + "\">\n";
    xml += library;
    xml += "\n</library>\n";
    xml += "</fcpxml>\n";
    return xml;
}

} // namespace quelvo::fcpxml
