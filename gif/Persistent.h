// The persistent-object base, copying one object into another through Assign,
// and the graphic base on it: loading and saving named files through streams,
// and the progress event.
#pragma once

#include <functional>
#include <string>

#include "gif/Streams.h"

namespace gif {

// The persistent-object base: copying one object into another through Assign,
// which falls back to the source's AssignTo and finally to the conversion error.
class TPersistent {
 public:
  virtual ~TPersistent() = default;
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;

  virtual const char* ClassName() const = 0;
  // Copies source into this object; a null source is an error too.
  virtual void Assign(const TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent& dest) const;
  // Raises EConvertError "Cannot assign a <source> to a <this>".
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

enum class TProgressStage { psStarting, psRunning, psEnding };

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Subscriber for load and save progress: sender, stage, percent done, whether
// to redraw now, the changed rectangle and a message ("Loading...", "Saving...").
using TProgressEvent =
    std::function<void(TPersistent* sender, TProgressStage stage, int percentDone, bool redrawNow,
                       const TRect& rect, const std::string& message)>;

// The graphic base: loading from and saving to named files through the
// overridden stream operations, and the progress event.
class TGraphic : public TPersistent {
 public:
  virtual bool IsEmpty() const = 0;
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  virtual void LoadFile(const std::string& fileName);
  virtual void SaveFile(const std::string& fileName);

  TProgressEvent OnProgress;

 protected:
  void Progress(TPersistent* sender, TProgressStage stage, int percentDone, bool redrawNow,
                const TRect& rect, const std::string& message);
};

}  // namespace gif
