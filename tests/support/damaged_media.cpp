#include "support/damaged_media.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "support/test_support.h"

namespace quelvo::test {

namespace {

// Where an MP4's top-level "mdat" box keeps its samples: [begin, end).
std::pair<size_t, size_t> mdatOf(const std::string& bytes) {
    for (size_t at = 0; at + 8 <= bytes.size();) {
        const uint32_t size = (uint32_t(uint8_t(bytes[at])) << 24) |
                              (uint8_t(bytes[at + 1]) << 16) | (uint8_t(bytes[at + 2]) << 8) |
                              uint8_t(bytes[at + 3]);
        if (bytes.compare(at + 4, 4, "mdat") == 0)
            return {at + 8, std::min<size_t>(bytes.size(), at + size)};
        if (size < 8) break;
        at += size;
    }
    return {0, 0};
}

// FLAC's CRC-8 (header) and CRC-16 (frame), MSB first.
unsigned crc(const std::string& bytes, size_t from, size_t to, int bits, unsigned poly) {
    const unsigned top = 1u << (bits - 1), mask = (1u << bits) - 1;
    unsigned c = 0;
    for (size_t i = from; i < to; ++i) {
        c ^= unsigned(uint8_t(bytes[i])) << (bits - 8);
        for (int k = 0; k < 8; ++k)
            c = ((c & top) ? (c << 1) ^ poly : c << 1) & mask;
    }
    return c;
}

} // namespace

void damageMp4Samples(const std::filesystem::path& good, const std::filesystem::path& out,
                      double from, double to, double share) {
    std::string bytes = readFile(good);
    const auto [begin, end] = mdatOf(bytes);
    const size_t a = begin + size_t(double(end - begin) * from),
                 b = begin + size_t(double(end - begin) * to);
    std::mt19937 noise(12);
    std::uniform_int_distribution<size_t> place(a, b - 1);
    for (size_t n = size_t(double(b - a) * share); n > 0 && b > a; --n)
        bytes[place(noise)] = char(noise());
    writeFile(out, bytes);
}

bool skipFlacFrames(const std::filesystem::path& flac, size_t fromFrame, int skip) {
    std::string bytes = readFile(flac);
    // Frames found by their sync code, one-byte frame number and header
    // checksum; the header grows by the block size (the last frame's) and
    // the rate where they are not coded in its first bytes.
    std::vector<size_t> frames, headers;
    for (size_t at = bytes.find("\xff\xf8"); at != std::string::npos && at + 10 < bytes.size();
         at = bytes.find("\xff\xf8", at + 1)) {
        const int block = uint8_t(bytes[at + 2]) >> 4, rate = uint8_t(bytes[at + 2]) & 15;
        const size_t header = 5 +
                              (block == 6   ? 1
                               : block == 7 ? 2
                                            : 0) +
                              (rate == 12               ? 1
                               : rate > 12 && rate < 15 ? 2
                                                        : 0);
        if (uint8_t(bytes[at + 4]) == frames.size() &&
            crc(bytes, at, at + header, 8, 7) == uint8_t(bytes[at + header])) {
            frames.push_back(at);
            headers.push_back(header);
        }
    }
    if (frames.size() <= fromFrame || frames.size() + size_t(skip) >= 128) return false;
    frames.push_back(bytes.size());
    for (size_t k = fromFrame; k + 1 < frames.size(); ++k) {
        const size_t at = frames[k], end = frames[k + 1], header = headers[k];
        bytes[at + 4] = char(k + size_t(skip));
        bytes[at + header] = char(crc(bytes, at, at + header, 8, 7));
        const unsigned c = crc(bytes, at, end - 2, 16, 0x8005);
        bytes[end - 2] = char(c >> 8);
        bytes[end - 1] = char(c);
    }
    writeFile(flac, bytes);
    return true;
}

bool undercountXing(const std::filesystem::path& mp3) {
    std::string bytes = readFile(mp3);
    size_t tag = bytes.find("Info");
    if (tag > 400) tag = bytes.find("Xing");
    // The frame count follows the tag and its flags (bit 0: count present).
    if (tag > 400 || !(uint8_t(bytes[tag + 7]) & 1)) return false;
    bytes.replace(tag + 8, 4, std::string("\0\0\0\1", 4));
    writeFile(mp3, bytes);
    return true;
}

} // namespace quelvo::test
