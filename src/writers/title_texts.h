#pragma once
// Small text conversions of the titles document.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/rgba_color.h"

namespace quelvo::titles {

// Every double and single quote removed.
std::string stripQuotes(std::string_view s);
// "\"r g b\"" with its quotes, each component as a shortest decimal ("1.0").
std::string quotedRGB(const quelvo::RgbaColor& c);
// The toolkit's locale-free number texts.
std::string num(double x);
std::string num(int64_t x);
inline std::string num(int x) {
    return num(static_cast<int64_t>(x));
}

// A subtitle's text as XML character data: "&", "<" and ">" become entities
// (in that order); quotes and line feeds stay.
std::string escapeTitleText(std::string_view text);

// Characters XML 1.0 cannot carry: control characters other than tab, line
// feed and carriage return, U+FFFE and U+FFFF are dropped; bytes that are not
// UTF-8 become U+FFFD. Texts from files are UTF-8 already; this keeps any
// text a caller hands in from breaking the document.
std::string xmlSafeText(std::string_view text);

// A setting's or a name's text for a double-quoted attribute.
std::string attributeText(std::string_view text);

// Text that can stand inside "<!-- " and " -->": "--" cannot.
std::string commentText(std::string_view text);

} // namespace quelvo::titles
