// What tells one state of a file on disk from another: another program that
// rewrites the file changes its size or modification time, one that replaces
// it (a rename over it, as careful editors save) changes its inode.
#pragma once

#include <cstdint>
#include <string>

namespace app {

struct TFileIdentity {
  bool Exists = false;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::int64_t Size = 0;
  // Nanoseconds since the epoch; file systems with coarser times give fewer
  // digits, never a different value for the same state.
  std::int64_t ModifiedNs = 0;

  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// The identity of the file a path names now, links followed; Exists is false
// when there is nothing there (or it cannot be asked).
TFileIdentity FileIdentityOf(const std::string& path);

// Whether a file known by its identity at the last open or save is still the
// same. A file that did not exist then has nothing to be overwritten by
// mistake, and a file that is gone now has nothing left to lose.
bool UnchangedSince(const TFileIdentity& known, const TFileIdentity& now);

}  // namespace app
