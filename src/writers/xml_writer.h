#pragma once
// A small XML writer for the project documents: elements, attributes and
// text, indented two spaces a level. Every attribute value and every text
// goes through one escape (the toolkit's xmlEscapeAttribute after xmlSafeText),
// so a name from a file or the command line can never break a document.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelvo {

using XmlAttributes = std::vector<std::pair<std::string_view, std::string>>;

class XmlWriter {
  public:
    // `<?xml version="1.0" encoding="UTF-8"?>` and, when `doctype` is not
    // empty, `<!DOCTYPE doctype>`.
    explicit XmlWriter(std::string_view doctype = {});

    // <name a="v">, one level deeper until close().
    void open(std::string_view name, const XmlAttributes& attributes = {});
    void close();
    // <name a="v">text</name> on one line.
    void text(std::string_view name, std::string_view value, const XmlAttributes& attributes = {});
    // <name a="v"/>
    void empty(std::string_view name, const XmlAttributes& attributes = {});

    // The document; every open element must have been closed.
    const std::string& document() const { return m_out; }

    // The one escape: text made safe for XML, then & < > " escaped.
    static std::string escaped(std::string_view value);

  private:
    void startTag(std::string_view name, const XmlAttributes& attributes);
    void indent();

    std::string m_out;
    std::vector<std::string> m_open;
};

} // namespace quelvo
