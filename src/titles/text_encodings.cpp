#include "titles/text_encodings.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace quelvo {

namespace {

// Converts the whole input or nothing; a conversion error is never repaired.
std::optional<std::string> convert(std::string_view bytes, const char* from) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t done = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = out.data() + done;
        size_t outLeft = out.size() - done;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        done = out.size() - outLeft;
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        ok = false; // EILSEQ or EINVAL (a truncated sequence at the end)
        break;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(done);
    if (out.find('\0') != std::string::npos) return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> decodeWindows1250(std::string_view bytes) {
    return convert(bytes, "WINDOWS-1250");
}

std::optional<std::string> decodeUtf16(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) return convert(bytes.substr(2), "UTF-16LE");
        if (b0 == 0xFE && b1 == 0xFF) return convert(bytes.substr(2), "UTF-16BE");
    }
    // Subtitles are mostly ASCII: digits, colons and arrows have a zero high
    // byte, which comes first in big-endian and second in little-endian.
    size_t zeroFirst = 0, zeroSecond = 0;
    const size_t probe = std::min<size_t>(bytes.size(), 1 << 16);
    for (size_t i = 0; i + 1 < probe; i += 2) {
        if (bytes[i] == '\0') ++zeroFirst;
        if (bytes[i + 1] == '\0') ++zeroSecond;
    }
    return convert(bytes, zeroSecond > zeroFirst ? "UTF-16LE" : "UTF-16BE");
}

std::optional<std::string> decodeAs(std::string_view bytes, const std::string& encoding) {
    if (encoding == "UTF-16") return decodeUtf16(bytes);
    auto text = convert(bytes, encoding.c_str());
    if (text && text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
    return text;
}

} // namespace quelvo
