#pragma once
// What a WAV file's own header says about its length. FFmpeg trims a data
// chunk that runs past the end of the file to what is there, which hides a
// truncated copy; the header's figure tells the two apart.
#include <cstdint>
#include <optional>
#include <string>

namespace quelvo::detail {

struct WavDataChunk {
    int64_t offset = 0;        // first byte of the samples
    int64_t declaredBytes = 0; // as the chunk header says
    int64_t presentBytes = 0;  // as the file holds
};

// The data chunk of a RIFF/WAVE file, or nothing when the file is not one,
// has none, or leaves its length open (0 or 0xFFFFFFFF, as recorders write
// while recording). RF64 and BW64 files, WAV past 4 GiB, are read alike:
// their data chunk's size of 0xFFFFFFFF stands for the 64-bit one in the
// ds64 chunk.
std::optional<WavDataChunk> findWavDataChunk(const std::string& path);

} // namespace quelvo::detail
