// Replacing a file's content so that a failure at any point leaves the file as
// it was.
#pragma once

#include <functional>
#include <string>

#include "gif/Platform.h"

namespace gif {

// Runs writeContent on a new temporary file in the folder of fileName, pushes
// it to the storage device and renames it over fileName. A file that exists
// keeps its permissions (and its owner, where the system allows); a symbolic
// link stays and the file it points to is replaced. When anything fails,
// writeContent included, the temporary file is removed, fileName is left
// byte-identical (or absent, when it did not exist) and the error passes on.
// A folder or file that cannot be written raises EFCreateError with the text
// "Cannot create file "<expanded fileName>". <system error text>".
void WriteFileSafely(const std::string& fileName,
                     const std::function<void(TStream& file)>& writeContent);

}  // namespace gif
