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

} // namespace quelvo
