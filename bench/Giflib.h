// giflib as the benchmark's peer: decoding from memory, and encoding the frames
// it decoded to memory or to a file.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/Timing.h"

namespace bench {

using Bytes = std::vector<uint8_t>;

struct GifFileCloser {
  void operator()(GifFileType* gif) const;
};
using GifFilePtr = std::unique_ptr<GifFileType, GifFileCloser>;

// DGifSlurp from memory; null when giflib refuses the data.
GifFilePtr GiflibSlurp(const Bytes& data);

// The total pixels of the slurped frames.
double TotalPixels(const GifFileType& gif);

// An encoder handle holding a copy of the slurped frames, as a document holds
// its frames before a save; EGifSpew writes and frees it. It writes to the
// vector `out` when given one, else through stdio to the FILE* in its UserData
// (set it before the spew), as giflib's own file handles do.
GifFileType* GiflibPrepareSpew(const GifFileType& source, Bytes* out);

// Spews a prepared file handle to `path` through stdio; `durable` adds an
// fsync of the file before it is closed. False when anything fails.
bool GiflibSpewToFile(GifFileType* prepared, const std::string& path, bool durable);

// A timer of EGifSpew on copies of `source`. giflib's encoder frees the handle
// it writes, so each spew needs one prepared outside the clock; they are
// prepared a few at a time so that their memory is still warm. Without
// `spewToFile` each writes to a vector with `reserve` bytes of room.
Timer GiflibSpewTimer(const GifFileType& source, std::size_t reserve,
                      std::function<void(GifFileType*)> spewToFile = {});

// Whether giflib encodes what it decoded.
bool GiflibSpews(const GifFileType& source);

}  // namespace bench
