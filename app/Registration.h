// The program's own registry of picture formats and clipboard formats, and the
// GIF library's entry in it. Nothing in Tintwell loads pictures or uses the
// clipboard through the registry; the entries make the format known, the way a
// host graphics framework would know it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/Persistent.h"

namespace app {

using TGraphicFactory = std::function<std::unique_ptr<gif::TGraphic>()>;

struct TFileFormat {
  std::string Extension;    // without the dot, compared without regard to case
  std::string Description;  // shown in file dialogs
  std::string ClassName;    // the graphic class that reads the files
  TGraphicFactory Create;
};

class TGraphicRegistry {
 public:
  // Clipboard format numbers start where the operating system's registered
  // names start, above the predefined formats.
  static constexpr int FirstClipboardFormat = 0xC000;

  static TGraphicRegistry& Instance();

  void RegisterFileFormat(TFileFormat format);
  // The format's number; the same name always gets the same number.
  int RegisterClipboardFormat(const std::string& name);
  // Links a registered clipboard format to the graphic class it holds.
  void RegisterClipboardClass(int format, const std::string& className);
  // Drops every file format and clipboard link of the class. Clipboard names
  // keep their numbers, as the operating system keeps them.
  void UnregisterClass(const std::string& className);

  const TFileFormat* FindExtension(const std::string& extension) const;
  // -1 when the name was never registered.
  int ClipboardFormat(const std::string& name) const;
  // The class linked to a clipboard format, or an empty string.
  std::string ClipboardClass(int format) const;

 private:
  struct TClipboardEntry {
    std::string Name;
    std::string ClassName;  // empty when no class is linked
  };
  std::vector<TFileFormat> formats_;
  std::vector<TClipboardEntry> clipboard_;  // index + FirstClipboardFormat is the number
};

// The GIF library's start-up and shutdown for the life of the program: the
// document class is registered for the extension "GIF" as "GIF Image" and with
// the clipboard format "GIF Image"; leaving removes both and runs the library's
// shutdown step.
class TGIFRegistration {
 public:
  TGIFRegistration();
  ~TGIFRegistration();
  TGIFRegistration(const TGIFRegistration&) = delete;
  TGIFRegistration& operator=(const TGIFRegistration&) = delete;
};

}  // namespace app
