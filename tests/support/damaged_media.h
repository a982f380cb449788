#pragma once
// Damaged copies of good media, made in the tests (nothing large is kept in
// the repository): noise over an MP4's samples, FLAC frame numbers that
// jump, an MP3 Xing header that undercounts.
#include <filesystem>

namespace quelvo::test {

// Writes `out`: `good` (an MP4/M4A) with `share` of the bytes of its
// samples in [from, to) (fractions of the mdat box) replaced by noise of a
// fixed seed.
void damageMp4Samples(const std::filesystem::path& good, const std::filesystem::path& out,
                      double from, double to, double share);

// Numbers the frames of a fixed-block FLAC (under 128 frames) from
// `fromFrame` on `skip` frames further, header and frame checksums
// rewritten: their timestamps jump. Returns false when the file is not such
// a FLAC.
bool skipFlacFrames(const std::filesystem::path& flac, size_t fromFrame, int skip);

// Makes an MP3's Xing/Info header count one frame. False when it has none.
bool undercountXing(const std::filesystem::path& mp3);

} // namespace quelvo::test
