#include "media/sample_conversion.h"

#include <cstring>

namespace quelvo {

namespace {

template <typename Read>
void convertLoop(const uint8_t* data, size_t strideBytes, size_t count, float* out, Read read) {
    for (size_t i = 0; i < count; ++i)
        out[i] = read(data + i * strideBytes);
}

} // namespace

void toFloat(SampleEncoding encoding, const uint8_t* data, size_t strideBytes, size_t count,
             float* out) {
    switch (encoding) {
    case SampleEncoding::U8:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return (p[0] - 128) / 128.0f; });
        break;
    case SampleEncoding::S8:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return static_cast<int8_t>(p[0]) / 128.0f; });
        break;
    case SampleEncoding::S16:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return loadUnaligned<int16_t>(p) * (1.0f / 32768.0f); });
        break;
    case SampleEncoding::S16BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<int16_t>(__builtin_bswap16(loadUnaligned<uint16_t>(p))) *
                   (1.0f / 32768.0f);
        });
        break;
    case SampleEncoding::S24:
    case SampleEncoding::S24BE: {
        const bool big = encoding == SampleEncoding::S24BE;
        convertLoop(data, strideBytes, count, out, [big](const uint8_t* p) {
            const uint32_t b0 = big ? p[2] : p[0];
            const uint32_t b2 = big ? p[0] : p[2];
            const int32_t v =
                static_cast<int32_t>((b0 << 8) | (uint32_t(p[1]) << 16) | (b2 << 24)) >> 8;
            return v * (1.0f / 8388608.0f);
        });
        break;
    }
    case SampleEncoding::S32:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<float>(loadUnaligned<int32_t>(p) / 2147483648.0);
        });
        break;
    case SampleEncoding::S32BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<float>(
                static_cast<int32_t>(__builtin_bswap32(loadUnaligned<uint32_t>(p))) / 2147483648.0);
        });
        break;
    case SampleEncoding::S64:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            return static_cast<float>(static_cast<double>(loadUnaligned<int64_t>(p)) /
                                      9223372036854775808.0);
        });
        break;
    case SampleEncoding::F32:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return sane(loadUnaligned<float>(p)); });
        break;
    case SampleEncoding::F32BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            const uint32_t bits = __builtin_bswap32(loadUnaligned<uint32_t>(p));
            float v;
            std::memcpy(&v, &bits, sizeof v);
            return sane(v);
        });
        break;
    case SampleEncoding::F64:
        convertLoop(data, strideBytes, count, out,
                    [](const uint8_t* p) { return sane(loadUnaligned<double>(p)); });
        break;
    case SampleEncoding::F64BE:
        convertLoop(data, strideBytes, count, out, [](const uint8_t* p) {
            const uint64_t bits = __builtin_bswap64(loadUnaligned<uint64_t>(p));
            double v;
            std::memcpy(&v, &bits, sizeof v);
            return sane(v);
        });
        break;
    }
}

} // namespace quelvo
