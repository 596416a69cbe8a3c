#include "app/Registration.h"

#include <algorithm>

#include "gif/Document.h"
#include "gif/Settings.h"

namespace app {

namespace {

bool SameExtension(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

constexpr const char* GIFExtension = "GIF";
constexpr const char* GIFDescription = "GIF Image";
constexpr const char* GIFClipboardName = "GIF Image";

}  // namespace

TGraphicRegistry& TGraphicRegistry::Instance() {
  static TGraphicRegistry registry;
  return registry;
}

void TGraphicRegistry::RegisterFileFormat(TFileFormat format) {
  // A later registration of the same extension takes its place.
  std::erase_if(formats_,
                [&](const TFileFormat& f) { return SameExtension(f.Extension, format.Extension); });
  formats_.push_back(std::move(format));
}

int TGraphicRegistry::RegisterClipboardFormat(const std::string& name) {
  const int existing = ClipboardFormat(name);
  if (existing >= 0) return existing;
  clipboard_.push_back(TClipboardEntry{name, std::string()});
  return FirstClipboardFormat + static_cast<int>(clipboard_.size()) - 1;
}

void TGraphicRegistry::RegisterClipboardClass(int format, const std::string& className) {
  const int index = format - FirstClipboardFormat;
  if (index >= 0 && index < static_cast<int>(clipboard_.size()))
    clipboard_[static_cast<std::size_t>(index)].ClassName = className;
}

void TGraphicRegistry::UnregisterClass(const std::string& className) {
  std::erase_if(formats_, [&](const TFileFormat& f) { return f.ClassName == className; });
  for (TClipboardEntry& entry : clipboard_)
    if (entry.ClassName == className) entry.ClassName.clear();
}

const TFileFormat* TGraphicRegistry::FindExtension(const std::string& extension) const {
  for (const TFileFormat& format : formats_)
    if (SameExtension(format.Extension, extension)) return &format;
  return nullptr;
}

int TGraphicRegistry::ClipboardFormat(const std::string& name) const {
  for (std::size_t i = 0; i < clipboard_.size(); ++i)
    if (clipboard_[i].Name == name) return FirstClipboardFormat + static_cast<int>(i);
  return -1;
}

std::string TGraphicRegistry::ClipboardClass(int format) const {
  const int index = format - FirstClipboardFormat;
  if (index < 0 || index >= static_cast<int>(clipboard_.size())) return std::string();
  return clipboard_[static_cast<std::size_t>(index)].ClassName;
}

TGIFRegistration::TGIFRegistration() {
  TGraphicRegistry& registry = TGraphicRegistry::Instance();
  registry.RegisterFileFormat(TFileFormat{GIFExtension, GIFDescription, "TGIFImage",
                                          [] { return std::make_unique<gif::TGIFImage>(); }});
  registry.RegisterClipboardClass(registry.RegisterClipboardFormat(GIFClipboardName), "TGIFImage");
}

TGIFRegistration::~TGIFRegistration() {
  // The library's shutdown goes with the registration: the extension
  // registries are freed first, then the format leaves the framework.
  gif::LibraryShutdown();
  TGraphicRegistry::Instance().UnregisterClass("TGIFImage");
}

}  // namespace app
