#pragma once
// Decoding of subtitle files written in legacy encodings, through iconv.
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

// Windows-1250 bytes as UTF-8. Absent when a byte has no character in that
// code page or the text would hold a NUL character (a sign that the bytes are
// UTF-16 rather than text in a single-byte code page).
std::optional<std::string> decodeWindows1250(std::string_view bytes);

// UTF-16 bytes as UTF-8. A byte-order mark decides the byte order; without
// one the zero bytes of ASCII characters do (big-endian when undecided).
// Absent for an odd byte count, unpaired surrogates or NUL characters.
std::optional<std::string> decodeUtf16(std::string_view bytes);

// The encodings an editor can ask a subtitle file to be read in again, as
// iconv names them, most common first.
inline constexpr const char* kSubtitleEncodings[] = {
    "UTF-8",        "UTF-16",       "UTF-16LE",     "UTF-16BE",   "WINDOWS-1250", "WINDOWS-1251",
    "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254", "ISO-8859-1", "ISO-8859-2",   "ISO-8859-5",
    "ISO-8859-7",   "ISO-8859-9",   "ISO-8859-15",  "MACINTOSH",  "KOI8-R",       "CP437"};

// bytes read as text in the named encoding (any name iconv knows), as UTF-8
// without a leading byte-order mark. Absent when the name is unknown or a
// byte sequence has no character in it: a wrong choice says so rather than
// showing a mangled text.
std::optional<std::string> decodeAs(std::string_view bytes, const std::string& encoding);

// Whether iconv knows the encoding's name.
bool isKnownEncoding(const std::string& encoding);

// The 8-bit encoding a character-set detector finds for text that is neither
// UTF-8 nor UTF-16: a Windows-1252, ISO-8859-1 or ISO-8859-15 answer gives
// "WINDOWS-1252" (its superset); ISO-8859-2, -9 or -13 give their Windows
// sibling (1250, 1254, 1257) when bytes 0x80-0x9F are present, which those
// parts hold no text at; any other answer its own name, and no answer (or
// one that is no 8-bit encoding) "WINDOWS-1250".
std::string detectEightBitEncoding(std::string_view bytes);

// Replaces every C1 control character (U+0080-U+009F) of UTF-8 text with
// U+FFFD and returns how many there were: they are no text, and no document
// the program writes may carry them.
int replaceC1Controls(std::string& text);

// A subtitle file's text, and how it was read, for a window to show.
struct DecodedText {
    std::string text;         // UTF-8, without a byte-order mark
    std::string encoding;     // "UTF-8", "UTF-16LE", "UTF-16BE", "WINDOWS-1252", ...
    int droppedNuls = 0;      // stray NUL bytes left out of 8-bit text
    int replacedControls = 0; // C1 control characters now U+FFFD
};

// UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark,
// UTF-16 without one when its zero bytes say so, else 8-bit text with stray
// NUL bytes dropped: UTF-8 when valid, else the detected encoding, else
// Windows-1250. Absent when none of them reads. C1 control characters left
// in the text are replaced (replaceC1Controls).
std::optional<DecodedText> decodeSubtitleBytes(std::string_view bytes);

} // namespace quelvo
