#include "edit/ColorTables.h"

namespace edit {

std::string TColorTable::Caption() const {
  const int entries = Map != nullptr ? Map->EntryCount() : 0;
  const std::string size =
      " (" + std::to_string(entries) + (entries == 1 ? " colour)" : " colours)");
  return IsGlobal() ? "Global" + size : "Frame " + std::to_string(Frame + 1) + size;
}

std::vector<TColorTable> ColorTables(gif::TGIFImage& image, bool globalOnly) {
  std::vector<TColorTable> tables;
  if (image.GlobalMap().EntryCount() > 0) tables.push_back({-1, &image.GlobalMap()});
  if (globalOnly) return tables;
  gif::TGIFImageList& frames = image.Frames();
  for (int i = 0; i < frames.Count(); ++i) {
    gif::TGIFColorMap& local = frames.Frame(i).LocalMap();
    if (local.EntryCount() > 0) tables.push_back({i, &local});
  }
  return tables;
}

std::vector<gif::TGIFColorMap*> MapsOf(const std::vector<TColorTable>& tables) {
  std::vector<gif::TGIFColorMap*> maps;
  maps.reserve(tables.size());
  for (const TColorTable& table : tables) maps.push_back(table.Map);
  return maps;
}

}  // namespace edit
