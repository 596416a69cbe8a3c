// The info command: what a GIF file holds, as text or as one JSON object per
// file.
#pragma once

#include <string>
#include <vector>

#include "cli/Options.h"
#include "gif/Document.h"

namespace cli {

struct TFrameFacts {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
  int LocalTableSize = 0;
  // From the frame's graphic control extension; 0 without one.
  int Delay = 0;
  int Disposal = 0;
  int TransparentIndex = -1;  // -1: no transparent colour
  std::vector<std::string> Extensions;
};

struct TFileFacts {
  std::string Signature;  // "GIF87a", "GIF89a", or empty for a document without frames
  int ScreenWidth = 0, ScreenHeight = 0;
  int ColorResolution = 0;
  int BackgroundIndex = 0;
  int GlobalTableSize = 0;
  std::vector<TFrameFacts> Frames;
};

TFileFacts FactsOf(const gif::TGIFImage& image);

std::string FactsText(const std::string& file, const TFileFacts& facts);
// One line.
std::string FactsJson(const std::string& file, const TFileFacts& facts);

// A JSON string literal; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

extern const TOptionSpec InfoOptions[2];
int RunInfo(const TParsedArgs& args);

}  // namespace cli
