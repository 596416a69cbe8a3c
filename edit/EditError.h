// The error of a palette operation that cannot be done as asked (an index
// outside a frame's table, a malformed colour map file). what() is the whole
// message, naming the frame, file or line it concerns; nothing was changed.
#pragma once

#include "gif/Exceptions.h"

namespace edit {

class EEditError : public gif::Exception {
 public:
  using gif::Exception::Exception;
};

}  // namespace edit
