#include "media/wav_header.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace quelvo::detail {

namespace {

uint32_t littleEndian32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t littleEndian64(const unsigned char* p) {
    return littleEndian32(p) | uint64_t(littleEndian32(p + 4)) << 32;
}

constexpr int kMaxChunks = 4096;
// A 32-bit size that says "see the ds64 chunk" in RF64 and BW64 files.
constexpr uint32_t kSizeElsewhere = 0xFFFFFFFFu;

} // namespace

std::optional<WavDataChunk> findWavDataChunk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const int64_t fileSize = static_cast<int64_t>(in.tellg());
    in.seekg(0);
    unsigned char header[12];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return std::nullopt;
    if (std::memcmp(header + 8, "WAVE", 4) != 0) return std::nullopt;
    const bool riff = std::memcmp(header, "RIFF", 4) == 0;
    if (!riff && std::memcmp(header, "RF64", 4) != 0 && std::memcmp(header, "BW64", 4) != 0)
        return std::nullopt;
    // RF64 and BW64 (files past 4 GiB) give the data chunk's 64-bit size in
    // a ds64 chunk, which comes first.
    std::optional<uint64_t> ds64DataBytes;
    int64_t at = 12;
    for (int i = 0; i < kMaxChunks && at + 8 <= fileSize; ++i) {
        unsigned char chunk[8];
        in.seekg(at);
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) return std::nullopt;
        const uint32_t size = littleEndian32(chunk + 4);
        if (!riff && std::memcmp(chunk, "ds64", 4) == 0 && size >= 24) {
            unsigned char sizes[24];
            if (!in.read(reinterpret_cast<char*>(sizes), sizeof sizes)) return std::nullopt;
            ds64DataBytes = littleEndian64(sizes + 8);
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            int64_t declared = size;
            if (size == kSizeElsewhere && ds64DataBytes && *ds64DataBytes < uint64_t(INT64_MAX))
                declared = static_cast<int64_t>(*ds64DataBytes);
            else if (size == 0 || size == kSizeElsewhere)
                return std::nullopt;
            WavDataChunk data;
            data.offset = at + 8;
            data.declaredBytes = declared;
            data.presentBytes = std::max<int64_t>(0, fileSize - data.offset);
            return data;
        }
        // Chunks are padded to an even length.
        at += 8 + static_cast<int64_t>(size) + (size & 1);
    }
    return std::nullopt;
}

} // namespace quelvo::detail
