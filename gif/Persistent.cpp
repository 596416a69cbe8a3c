// Assign's fall-back to AssignTo and the conversion error, and the graphic
// base's file loading, saving and progress.
#include "gif/Persistent.h"

#include "gif/Exceptions.h"
#include "gif/MessageFormat.h"
#include "gif/Messages.h"

namespace gif {

void TPersistent::Assign(const TPersistent* source) {
  if (source == nullptr) AssignError(nullptr);
  source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
  dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError(
      FormatMessage(msg::AssignError, {source ? source->ClassName() : "nil", ClassName()}));
}

void TGraphic::LoadFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::OpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveFile(const std::string& fileName) {
  TFileStream stream(fileName, TFileStream::Mode::Create);
  SaveToStream(stream);
}

void TGraphic::Progress(TPersistent* sender, TProgressStage stage, int percentDone, bool redrawNow,
                        const TRect& rect, const std::string& message) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, rect, message);
}

}  // namespace gif
