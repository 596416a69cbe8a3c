// Replacing a file's content so that a failure at any point leaves the file as
// it was.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

#include "gif/Streams.h"

namespace gif {

// The calls through which a file is rewritten in place. Each returns what the
// system call returns and sets errno as it does; tests put in calls that fail.
struct TFileCalls {
  std::function<ssize_t(int fd, const void* buffer, std::size_t count, off_t offset)> Write;
  std::function<int(int fd, off_t length)> Truncate;
  std::function<int(int fd)> Sync;
};

// pwrite, ftruncate and fsync.
const TFileCalls& SystemFileCalls();

// Gives fileName the content that writeContent writes, or leaves it as it was.
//
// A new file, and an existing one whose identity a new file can take over (its
// folder is writable, it has one name, and its owner, group and permissions
// can be given to a new file), is replaced by renaming: writeContent runs on a
// new temporary file in the folder, which is pushed to the storage device and
// renamed over fileName. Otherwise the file is rewritten in place, so that it
// keeps its owner, its permissions and all its names: writeContent runs on
// memory first, the old content is read, and the new content is written over
// it and pushed to the device. Should that fail, the old content is written
// back; should even that fail, the old content is kept in a recovery file
// beside fileName or in the temporary folder, and the error names it.
//
// A symbolic link stays and the file it points to gets the new content. When
// writeContent fails, or the new content cannot be written, fileName is left
// byte-identical (or absent, when it did not exist), no temporary file is left
// behind and the error passes on. A folder or file that cannot be written
// raises EFCreateError with the text
// "Cannot create file "<expanded fileName>". <system error text>".
void WriteFileSafely(const std::string& fileName,
                     const std::function<void(TStream& file)>& writeContent,
                     const TFileCalls& calls = SystemFileCalls());

}  // namespace gif
