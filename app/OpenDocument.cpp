// The window's document and the history of its palette edits.
#include "app/OpenDocument.h"

namespace app {

TOpenDocument::TOpenDocument(std::function<void()> applied)
    : image_(std::make_unique<gif::TGIFImage>()), applied_(std::move(applied)) {}

TOpenDocument::~TOpenDocument() {
  // The history empties itself once more when it is destroyed, after whoever
  // listens to it may be gone: nobody may hear of that.
  history_.disconnect();
}

bool TOpenDocument::Modified() const {
  return loaded_ && Read() != savedTables_;
}

const TTablesSnapshot& TOpenDocument::Read() const {
  latest_ = ReadTables(*image_, &latest_);
  return latest_;
}

void TOpenDocument::Clear() {
  image_ = std::make_unique<gif::TGIFImage>();
  loaded_ = false;
  latest_.clear();
  savedTables_.clear();
}

void TOpenDocument::Replace(std::unique_ptr<gif::TGIFImage> image, const QString& fileName) {
  // Emptying the history tells its listeners, and they may still paint the
  // old document's tables: it goes while that document is still there.
  history_.clear();
  image_ = std::move(image);
  fileName_ = fileName;
  loaded_ = true;
  latest_.clear();
  savedTables_ = Read();
}

void TOpenDocument::Apply(const TTablesSnapshot& tables) {
  WriteTables(*image_, tables);
  applied_();
}

bool TOpenDocument::Record(const QString& undoText, const std::function<void()>& change) {
  TTablesSnapshot before = Read();
  auto record = [&] {
    TTablesSnapshot after = Read();
    if (after == before) return false;
    history_.push(new TPaletteChange(
        undoText, std::move(before), std::move(after),
        [this](const TTablesSnapshot& t) { Apply(t); }, true));
    return true;
  };
  try {
    change();
  } catch (...) {
    record();  // what the change did before it failed can still be taken back
    throw;
  }
  return record();
}

void TOpenDocument::RevertToSaved(const QString& undoText) {
  TTablesSnapshot current = Read();
  if (current == savedTables_) return;
  history_.push(new TPaletteChange(
      undoText, std::move(current), savedTables_, [this](const TTablesSnapshot& t) { Apply(t); },
      false));
}

}  // namespace app
