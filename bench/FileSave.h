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

// Prints what the system calls alone of each way of saving a small file cost
// in each folder: overwriting in place as giflib does (open with truncation,
// status, write, close) against replacing the file safely (the target's open,
// lock and status, a folder handle, the new file's create, status, write,
// fsync and close, the rename and the folder's fsync). No encoder runs: this
// is the floor under a save of a tiny picture.
void ReportSaveFloor(const std::string (&folders)[2], int rounds);

}  // namespace bench
