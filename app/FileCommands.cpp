// Open, Save and Save As: a file is read whole before it replaces the
// document, and written safely with the progress bar.
#include "app/FileCommands.h"

#include <QUrl>

#include "app/FileDialogs.h"

namespace app {

void TFileCommands::Open() {
  TMainLayout& controls = host_.Controls();
  controls.dlgOpen.Folder = TWorkKeeper::FolderOf(host_.Edited().FileName());
  const QString name = host_.Hooks().ShowOpenDialog(controls.dlgOpen);
  if (name.isEmpty()) return;
  OpenFile(name);
}

void TFileCommands::OpenFile(const QString& name) {
  // The window changes only when the whole file has been read: a failed load
  // leaves document, file name, status bar and display as they were, so a
  // following Save cannot overwrite the file that failed with other content.
  if (!MayLetGo()) return;
  TWorkKeeper& keeper = host_.Keeper();
  auto loaded = std::make_unique<gif::TGIFImage>();
  {
    const TStatusProgress::TScope progress(keeper.Progress(), *loaded, IsLargeFile(name));
    loaded->LoadFile(LocalFileName(name));
  }
  host_.Edited().Replace(std::move(loaded), name);
  host_.Controls().stbMainText.setText(name);
  keeper.Opened(name);
  keeper.SetModified(false);
  host_.ShowNewDocument();
}

void TFileCommands::Save() {
  SaveTo(host_.Edited().FileName(), true);
}

void TFileCommands::SaveAs() {
  TMainLayout& controls = host_.Controls();
  TOpenDocument& edited = host_.Edited();
  controls.dlgSave.Folder = TWorkKeeper::FolderOf(edited.FileName());
  const QString name = host_.Hooks().ShowSaveDialog(controls.dlgSave);
  if (name.isEmpty()) return;
  SaveTo(name, false);
  edited.Rename(name);
  if (TfrmPreview* preview = host_.Preview()) preview->setWindowTitle(PreviewCaption(name));
}

bool TFileCommands::SaveTo(const QString& name, bool checkDisk) {
  TWorkKeeper& keeper = host_.Keeper();
  TOpenDocument& edited = host_.Edited();
  if (checkDisk && !keeper.MayOverwrite(name)) return false;
  {
    // The size of the file read last stands in for what the document will take.
    const QString& read = edited.FileName();
    const TStatusProgress::TScope progress(keeper.Progress(), edited.Image(),
                                           IsLargeFile(read.isEmpty() ? name : read));
    edited.Image().SaveFile(LocalFileName(name));
  }
  edited.Saved();
  keeper.Saved(name);
  keeper.SetModified(false);
  return true;
}

bool TFileCommands::MayLetGo() {
  TOpenDocument& edited = host_.Edited();
  return app::MayLetGo(edited.Modified(), edited.FileName(), host_.Keeper().AskSaveChanges,
                       [this, &edited] { return SaveTo(edited.FileName(), true); });
}

QString TFileCommands::DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return QString();
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return QString();
}

}  // namespace app
