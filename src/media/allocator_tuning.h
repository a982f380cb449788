#pragma once
// How the C library's allocator is set up for long decoding runs.

namespace quelvo {

// Call once at the start of a program, before any thread starts.
//
// FFmpeg's decoders free many small blocks for every packet. glibc keeps
// such blocks in "fast bins" and merges all of them each time a large
// block is freed, which a chunked analysis does whenever it closes a
// decoder: on an hour of AAC that merging was a tenth of the whole run.
// Without fast bins small blocks go straight back to the ordinary free
// lists; the analysis is that much faster and uses a little less memory.
// Other C libraries (macOS's among them) have no such setting; there it
// does nothing.
void tuneAllocatorForDecoding();

} // namespace quelvo
