// Filling in the library's message templates: "%s" substitution, and the
// absolute file names that file error messages show.
#pragma once

#include <string>
#include <vector>

namespace gif {

// The absolute form of a file name, as shown in file error messages.
std::string ExpandFileName(const std::string& fileName);

// printf-style "%s" substitution for the library's message templates.
std::string FormatMessage(const char* pattern, const std::vector<std::string>& args);

}  // namespace gif
