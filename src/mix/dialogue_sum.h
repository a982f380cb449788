#pragma once
// The dialogue as the mix plays it: one recording, or several microphones
// recorded together, summed block by block at one format. A recording shorter
// than the longest ends in silence; the sum ends with the longest.
#include <memory>
#include <string>
#include <vector>

#include "base/result.h"
#include "media/pcm_stream.h"

namespace quelvo::mix {

class DialogueSum {
  public:
    // Opens every path at `format` (a rate of 0: the first file's own). A
    // file that cannot be opened gives nullptr and a status that is the
    // whole sentence naming it.
    static std::unique_ptr<DialogueSum> open(const std::vector<std::string>& paths,
                                             const quelvo::PcmFormat& format,
                                             quelvo::Status& status);

    const quelvo::PcmFormat& format() const { return m_format; }
    // Fills planes[c][0..frames) with the sum; returns the frames of the
    // longest recording still playing (0 once all have ended).
    int read(double* const* planes, int frames);
    // The first decoding failure, as a sentence naming the file.
    quelvo::Status status() const;
    // Once read to the end: a file too damaged to play, as a sentence.
    quelvo::Status damageVerdict() const;

  private:
    std::vector<std::string> m_paths;
    std::vector<std::unique_ptr<quelvo::PcmStream>> m_streams;
    quelvo::PcmFormat m_format;
    std::vector<std::vector<double>> m_block;
    std::vector<double*> m_planes;
};

} // namespace quelvo::mix
