// "%s" substitution and the absolute form of file names for messages.
#include "gif/MessageFormat.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace gif {

std::string ExpandFileName(const std::string& fileName) {
  if (fileName.empty() || fileName.front() == '/') return fileName;
  std::string cwd(PATH_MAX, '\0');
  if (getcwd(cwd.data(), cwd.size()) == nullptr) return fileName;
  cwd.resize(std::strlen(cwd.c_str()));
  if (cwd.empty() || cwd.back() != '/') cwd += '/';
  return cwd + fileName;
}

std::string FormatMessage(const char* pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (next < args.size()) out += args[next++];
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace gif
