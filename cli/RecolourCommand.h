// The recolour command: the window's Start over every colour table of each
// file, written with the library's safe save.
#pragma once

#include <string>
#include <vector>

#include "cli/Options.h"
#include "edit/Recolour.h"

namespace cli {

enum class TOutputMode { DryRun, OutputFile, OutDir, InPlace };

// Everything a run needs, checked: building one raises TUsageError for any
// mistake, before a file is touched.
struct TRecolourPlan {
  edit::TRecolourRequest Request;
  int Tolerance = 0;
  bool GlobalOnly = false;
  TOutputMode Mode = TOutputMode::DryRun;
  std::string Output;  // the -o file or the --out-dir folder
  std::vector<std::string> Files;
  std::vector<std::string> Targets;  // per file; empty for a dry run
  int Jobs = 1;
};

TRecolourPlan PlanRecolour(const TParsedArgs& args);

// Recolours one file as planned; the report line, or an exception.
std::string RecolourFile(const TRecolourPlan& plan, const std::string& file,
                         const std::string& target);

extern const TOptionSpec RecolourOptions[13];
int RunRecolour(const TParsedArgs& args);

}  // namespace cli
