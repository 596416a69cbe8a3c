// The info command: what a GIF file holds, as readable text or as one JSON
// object per file. The facts are gathered once, as JSON, and the text is made
// from them, so that both always carry the same.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Options.h"
#include "gif/Document.h"

namespace cli {

// Keys in the order they are gathered, as a reader expects them.
using TJson = nlohmann::ordered_json;

// Every field of the header, the tables (colours as "#rrggbb", HLS and use
// counts), the frames and their extensions, and the warnings given.
TJson FactsOf(const gif::TGIFImage& image, const std::string& file,
              const std::vector<std::string>& warnings);

// The readable form; with colours, each table's entries too.
std::string FactsText(const TJson& facts, bool colours);
// One line; bytes that are not UTF-8 become U+FFFD.
std::string FactsJson(const TJson& facts);

extern const TOptionSpec InfoOptions[5];
int RunInfo(const TParsedArgs& args);

}  // namespace cli
