#pragma once
// A stream decoded a few blocks ahead of its reader on a thread of its own,
// so that decoding and measuring overlap. The reader gets the very blocks, in
// the very order, that reading the stream itself gives: whatever is computed
// from them does not depend on whether the thread is used.
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "media/pcm_stream.h"

namespace quelvo {

class ReadAhead {
  public:
    // `onThread` false reads on the caller's thread, as the stream would.
    ReadAhead(PcmStream& stream, int blockFrames, bool onThread);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block: its frames (0 at the end of the stream) and planes,
    // valid until the next call.
    int next(const double* const*& planes);

  private:
    struct Slot {
        std::vector<std::vector<double>> data;
        std::vector<double*> planes;
        int frames = 0;
    };
    void decode();

    PcmStream& m_stream;
    int m_blockFrames;
    std::vector<Slot> m_slots;
    size_t m_read = 0;    // slots handed to the reader
    size_t m_written = 0; // slots the decoder has filled
    bool m_ended = false; // the decoder's last slot holds 0 frames
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
};

} // namespace quelvo
