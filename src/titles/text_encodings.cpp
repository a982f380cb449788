#include "titles/text_encodings.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <memory>

#include <uchardet/uchardet.h>

#include "base/strings.h"

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

// The Windows code page that holds an ISO-8859 part's letters and more.
const char* windowsSibling(const std::string& iso) {
    if (iso == "ISO-8859-2") return "WINDOWS-1250";
    if (iso == "ISO-8859-9") return "WINDOWS-1254";
    if (iso == "ISO-8859-13") return "WINDOWS-1257";
    return nullptr;
}

bool hasC1Bytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b <= 0x9F;
    });
}

} // namespace

int replaceC1Controls(std::string& text) {
    // In UTF-8, U+0080-U+009F are 0xC2 followed by 0x80-0x9F; 0xC2 is always
    // a lead byte, so the pair cannot be the middle of another character.
    int replaced = 0;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool c1 = text[i] == '\xC2' && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (!c1) {
            if (replaced) out.push_back(text[i]);
            continue;
        }
        if (!replaced) out.assign(text, 0, i);
        out += "\xEF\xBF\xBD";
        ++replaced;
        ++i;
    }
    if (replaced) text = std::move(out);
    return replaced;
}

bool isKnownEncoding(const std::string& encoding) {
    iconv_t cd = iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

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

std::string detectEightBitEncoding(std::string_view bytes) {
    std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    std::string answer;
    if (detector && uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) == 0) {
        uchardet_data_end(detector.get());
        if (const char* found = uchardet_get_charset(detector.get())) answer = found;
        for (char& c : answer)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    // Western European text: Windows-1252 holds every ISO-8859-1 character
    // and the printable ones ISO-8859-15 adds that such files really use.
    if (answer == "WINDOWS-1252" || answer == "ISO-8859-1" || answer == "ISO-8859-15")
        return "WINDOWS-1252";
    // Bytes 0x80-0x9F are control characters in every ISO-8859 part, never
    // text; in the Windows code page of the same script they are letters
    // (a short Czech or Polish file loses its Ž, ť, ś and ź otherwise).
    if (const char* windows = windowsSibling(answer); windows && hasC1Bytes(bytes)) return windows;
    // Nothing found, or an answer that is no 8-bit encoding for text that is
    // neither UTF-8 nor UTF-16: the code page read before detection existed.
    if (answer.empty() || answer == "ASCII" || quelvo::startsWith(answer, "UTF") ||
        answer.find("2022") != std::string::npos)
        return "WINDOWS-1250";
    return answer;
}

namespace {

// Zero bytes in one column of byte pairs: ASCII characters in UTF-16. Stray
// NULs (padding at the end, one inside a line) fall in both columns alike.
bool looksLikeUtf16(std::string_view bytes) {
    const size_t probe = std::min<size_t>(bytes.size(), 1 << 16) & ~size_t(1);
    size_t even = 0, odd = 0;
    for (size_t i = 0; i + 1 < probe; i += 2) {
        if (bytes[i] == '\0') ++even;
        if (bytes[i + 1] == '\0') ++odd;
    }
    const size_t most = std::max(even, odd), least = std::min(even, odd);
    return most * 4 >= probe / 2 && least * 4 <= most;
}

// The byte order decodeUtf16 reads: the byte-order mark's, else the one in
// which the zero bytes of ASCII characters come second (little-endian).
std::string utf16Name(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE") return "UTF-16LE";
    if (bytes.substr(0, 2) == "\xFE\xFF") return "UTF-16BE";
    size_t zeroFirst = 0, zeroSecond = 0;
    const size_t probe = std::min<size_t>(bytes.size(), 1 << 16);
    for (size_t i = 0; i + 1 < probe; i += 2) {
        if (bytes[i] == '\0') ++zeroFirst;
        if (bytes[i + 1] == '\0') ++zeroSecond;
    }
    return zeroSecond > zeroFirst ? "UTF-16LE" : "UTF-16BE";
}

} // namespace

namespace {

std::optional<DecodedText> decodeSubtitleText(std::string_view bytes) {
    DecodedText decoded;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
        looksLikeUtf16(bytes)) {
        if (auto text = decodeUtf16(bytes)) {
            decoded.encoding = utf16Name(bytes);
            decoded.text = std::move(*text);
            return decoded;
        }
    }
    // Stray NULs are no text in an 8-bit file; editors' tools pad with them.
    std::string eightBit;
    eightBit.reserve(bytes.size());
    for (const char c : bytes) {
        if (c == '\0')
            ++decoded.droppedNuls;
        else
            eightBit.push_back(c);
    }
    if (quelvo::startsWith(eightBit, "\xEF\xBB\xBF")) eightBit.erase(0, 3);
    if (quelvo::isValidUtf8(eightBit)) {
        decoded.encoding = "UTF-8";
        decoded.text = std::move(eightBit);
        return decoded;
    }
    const std::string detected = detectEightBitEncoding(eightBit);
    for (const std::string& encoding : {detected, std::string("WINDOWS-1250")}) {
        if (auto text = decodeAs(eightBit, encoding)) {
            decoded.encoding = encoding;
            decoded.text = std::move(*text);
            return decoded;
        }
    }
    // The file may be UTF-16 after all, with too little ASCII to tell.
    if (decoded.droppedNuls > 0) {
        if (auto text = decodeUtf16(bytes)) {
            decoded = DecodedText{std::move(*text), utf16Name(bytes), 0};
            return decoded;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<DecodedText> decodeSubtitleBytes(std::string_view bytes) {
    std::optional<DecodedText> decoded = decodeSubtitleText(bytes);
    if (decoded) decoded->replacedControls = replaceC1Controls(decoded->text);
    return decoded;
}

} // namespace quelvo
