// The document the main window edits: the GIF as read from its file, the
// file's name, every colour table as last opened or saved, and the history of
// palette edits, each step a snapshot of every table.
#pragma once

#include <QString>
#include <QUndoStack>
#include <functional>
#include <memory>

#include "app/PaletteHistory.h"
#include "gif/Document.h"

namespace app {

class TOpenDocument {
 public:
  // applied runs after Undo, Redo or a revert put tables back, to show them.
  explicit TOpenDocument(std::function<void()> applied);
  ~TOpenDocument();
  TOpenDocument(const TOpenDocument&) = delete;
  TOpenDocument& operator=(const TOpenDocument&) = delete;

  gif::TGIFImage& Image() { return *image_; }
  // Whether a file has been read; before that the document is empty.
  bool Loaded() const { return loaded_; }
  const QString& FileName() const { return fileName_; }
  QUndoStack& History() { return history_; }
  // Whether the tables differ from the file as last opened or saved.
  bool Modified() const;

  // An empty document, no file (the window's start).
  void Clear();
  // A file was read whole: it replaces the document and starts a new history.
  void Replace(std::unique_ptr<gif::TGIFImage> image, const QString& fileName);
  // The document was written: its tables are the saved ones from now on.
  void Saved() {
    savedTables_ = Read();
    if (OnSaved) OnSaved();
  }
  // Runs after a save, when the file holds the document as it now is.
  std::function<void()> OnSaved;
  // Save As wrote it under another name, which later Saves use.
  void Rename(const QString& fileName) { fileName_ = fileName; }
  // Runs change and records one undo step when it changed any table, also
  // when it ends by an exception; returns whether anything changed.
  bool Record(const QString& undoText, const std::function<void()>& change);
  // Puts back the tables as last opened or saved as one undo step; nothing
  // when they already are.
  void RevertToSaved(const QString& undoText);

 private:
  void Apply(const TTablesSnapshot& tables);
  // The document's tables and pictures now, sharing the pixels that are the
  // same with the snapshot read before: a pass over the pixels, no copy.
  const TTablesSnapshot& Read() const;

  std::unique_ptr<gif::TGIFImage> image_;
  bool loaded_ = false;
  QString fileName_;
  TTablesSnapshot savedTables_;
  mutable TTablesSnapshot latest_;  // what Read read last
  std::function<void()> applied_;
  QUndoStack history_;
};

}  // namespace app
