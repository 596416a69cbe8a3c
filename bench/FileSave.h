// Saving to a file as a user saves: our SaveFile against giflib's EGifSpew to
// a file in the same folder, with and without an fsync.
#pragma once

#include <string>

#include "bench/Giflib.h"
#include "bench/Results.h"

namespace bench {

// Fills result.fileSave[slot] and giflib's times beside it for saves into
// `folder`; each side overwrites a file of its own there, as a save over an
// existing file does. Leaves the result alone when a save fails.
void MeasureFileSave(const Bytes& data, const GifFileType& slurped, const std::string& folder,
                     int slot, int rounds, Result& result);

}  // namespace bench
