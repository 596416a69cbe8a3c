#include "app/FileIdentity.h"

#include <sys/stat.h>

namespace app {

TFileIdentity FileIdentityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return TFileIdentity{};
  TFileIdentity identity;
  identity.Exists = true;
  identity.Device = static_cast<std::uint64_t>(status.st_dev);
  identity.Inode = static_cast<std::uint64_t>(status.st_ino);
  identity.Size = static_cast<std::int64_t>(status.st_size);
  identity.ModifiedNs =
      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
  return identity;
}

bool UnchangedSince(const TFileIdentity& known, const TFileIdentity& now) {
  if (!known.Exists || !now.Exists) return true;
  return known == now;
}

}  // namespace app
