#pragma once
// The toolkit's string services. Positions and lengths count Unicode
// characters (code points of the UTF-8 text), never bytes. Bytes that are not
// valid UTF-8 count as one character each and come back unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

// Decoding that round-trips any byte string: invalid bytes map to U+DC80+byte.
std::u32string toUtf32(std::string_view text);
std::string toUtf8(std::u32string_view text);
bool isValidUtf8(std::string_view text);

int64_t characterCount(std::string_view text);
// Index of occurrence number `recurrence` (0 = first) of subString at or after
// character startAt; negative when absent.
int64_t characterPosition(std::string_view srcText, std::string_view subString, int64_t startAt = 0,
                          int recurrence = 0);
// Characters [startAt, endAt), clamped to the text.
std::string characterSubstring(std::string_view srcString, int64_t startAt, int64_t endAt);

// Replacement of every occurrence; ignoreCase folds ASCII letters.
std::string replace(std::string_view text, std::string_view what, std::string_view with,
                    bool ignoreCase);
// Escapes text for an XML attribute value: & < > " always, and ' unless
// enableSingleQuotes says the attribute is double-quoted.
std::string xmlEscapeAttribute(std::string_view text, bool enableSingleQuotes);
// Text that XML 1.0 can carry: control characters other than tab, line feed
// and carriage return, U+FFFE and U+FFFF are dropped, and bytes that are not
// UTF-8 (a file name may hold any) become U+FFFD. Every document the program
// writes (projects, titles, the preview SVG) cleans its texts through this.
std::string xmlSafeText(std::string_view text);
// XML character data: xmlSafeText, then & < > escaped.
std::string xmlEscapeText(std::string_view text);

std::string right(std::string_view text, int64_t n);
std::string stripRight(std::string_view text, int64_t n);
std::string trimNewLinesAtBeginning(std::string_view text);
// Trims blanks, tabs, carriage returns and line feeds at both ends.
std::string trimWhitespace(std::string_view text);
// Cuts every line longer than `length` characters at its last blank before the
// limit (the blank is dropped), or at the limit when a word is longer.
std::vector<std::string> split(std::string_view text, int64_t atCharacter);
// The lines of a text split at line feeds; a final line feed opens no new line
// and the empty text has none.
std::vector<std::string> lines(std::string_view text);
// Removes opening tags of that name (with their attributes) and its closing tags.
std::string remove(std::string_view text, std::string_view tag);

std::string toLower(std::string_view text);
bool contains(std::string_view text, std::string_view what);
bool endsWith(std::string_view text, std::string_view suffix);
bool startsWith(std::string_view text, std::string_view prefix);

} // namespace quelvo
