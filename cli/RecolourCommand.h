// The recolour command: the window's Start over every colour table of each
// file, written with the library's safe save.
#pragma once

#include <string>
#include <vector>

#include "cli/InputOutput.h"
#include "cli/Options.h"
#include "edit/RecolourPlan.h"

namespace cli {

// Everything a run needs, checked: building one raises TUsageError for any
// mistake, before a file is touched.
struct TRecolourPlan {
  edit::TRecolourPlan Passes;
  int Tolerance = 0;
  bool GlobalOnly = false;
  TOutputPlan Outputs;
  TWarningPolicy Warnings;
  std::vector<std::string> Files;
  int Jobs = 1;
};

TRecolourPlan PlanRecolour(const TParsedArgs& args);

// Recolours file `index` as planned; the report line, or an exception.
// Warnings go to notes.
std::string RecolourFile(const TRecolourPlan& plan, std::size_t index, std::string& notes);

extern const TOptionSpec RecolourOptions[15];
int RunRecolour(const TParsedArgs& args);

}  // namespace cli
