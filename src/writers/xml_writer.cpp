#include "writers/xml_writer.h"

#include "base/strings.h"

namespace quelvo {

XmlWriter::XmlWriter(std::string_view doctype) {
    m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (!doctype.empty()) m_out += "<!DOCTYPE " + std::string(doctype) + ">\n";
}

std::string XmlWriter::escaped(std::string_view value) {
    // Attribute values are double-quoted, so an apostrophe may stay as it is.
    return quelvo::xmlEscapeAttribute(quelvo::xmlSafeText(value), true);
}

void XmlWriter::indent() {
    m_out.append(m_open.size() * 2, ' ');
}

void XmlWriter::startTag(std::string_view name, const XmlAttributes& attributes) {
    indent();
    m_out += '<';
    m_out += name;
    for (const auto& [key, value] : attributes) {
        m_out += ' ';
        m_out += key;
        m_out += "=\"" + escaped(value) + '"';
    }
}

void XmlWriter::open(std::string_view name, const XmlAttributes& attributes) {
    startTag(name, attributes);
    m_out += ">\n";
    m_open.emplace_back(name);
}

void XmlWriter::close() {
    if (m_open.empty()) return;
    const std::string name = std::move(m_open.back());
    m_open.pop_back();
    indent();
    m_out += "</" + name + ">\n";
}

void XmlWriter::text(std::string_view name, std::string_view value,
                     const XmlAttributes& attributes) {
    startTag(name, attributes);
    m_out += '>' + escaped(value) + "</";
    m_out += name;
    m_out += ">\n";
}

void XmlWriter::empty(std::string_view name, const XmlAttributes& attributes) {
    startTag(name, attributes);
    m_out += "/>\n";
}

} // namespace quelvo
