// How every command reads its GIF and writes its result: "-" for standard
// input and output, the library's warnings as lines of the file's report,
// --strict and --quiet, where the results go (-o, --out-dir, --in-place or
// nowhere), and an in-place file whose colour tables come out as they went in,
// which is left alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Options.h"
#include "gif/GIFImage.h"

namespace cli {

// The FILE or OUT that stands for standard input or output.
inline constexpr std::string_view StandardStream = "-";

// How a file is named in reports: "-" as "<stdin>".
std::string DisplayName(const std::string& file);

// All of standard input, for a FILE of "-"; a failed read raises.
std::vector<uint8_t> ReadStandardInput();

// Writes bytes to standard output and flushes it; a failed write raises.
void WriteStandardOutput(std::span<const uint8_t> bytes);

// Raises TUsageError when "-" is given as more than one input, or output goes
// to standard output while it is a terminal.
void CheckStandardStreams(const std::vector<std::string>& inputs, const std::string& output);

// Where reports go: the error stream when the result itself goes to
// standard output.
std::FILE* ReportStream(const std::string& output);

enum class TOutputMode { DryRun, OutputFile, OutDir, InPlace };

// Where a command's results go, checked before any file is touched.
struct TOutputPlan {
  TOutputMode Mode = TOutputMode::DryRun;
  std::string Output;                // the -o file or the --out-dir folder
  std::vector<std::string> Targets;  // per file; empty for a dry run
};

// From the command's --output, --out-dir, --in-place and --dry-run (those it
// declares). Raises TUsageError for none or several of them, -o with more than
// one FILE, and two files that would land on one target.
TOutputPlan PlanOutputs(const TParsedArgs& args, const std::vector<std::string>& files);

// What a command does with the library's warnings, from --strict and --quiet.
struct TWarningPolicy {
  bool Strict = false;  // a file with warnings fails, and nothing is written for it
  bool Quiet = false;   // warnings are not printed
};
TWarningPolicy WarningPolicyOf(const TParsedArgs& args);

// Makes the --out-dir folder; false, with the message on the error stream,
// when it cannot be made.
bool PrepareOutputs(const TOutputPlan& plan);

// A GIF read for a command, with what the library warned about while reading
// it and the colours its tables held then. Each warning goes to notes as
// "FILE: warning: ..." unless the policy is quiet; under a strict policy a
// warning makes the constructor raise once every warning is in notes.
class TGifInput {
 public:
  TGifInput(const std::string& file, const TWarningPolicy& policy, std::string& notes);
  TGifInput(const TGifInput&) = delete;
  TGifInput& operator=(const TGifInput&) = delete;

  gif::TGIFImage Image;
  // The library's warnings, "frame N: text" where a frame is concerned.
  std::vector<std::string> Warnings;

  // Whether any table's entries or size differ from what was read.
  bool TablesChanged() const;

 private:
  std::vector<std::vector<gif::TColor>> tables_;  // the global table, then each frame's own
};

// Writes the document to the target of file `index` ("-": standard output). In place, a document
// whose tables did not change is not written at all, so that the file keeps
// its bytes, inode and modification time: the result is then false.
bool WriteResult(TGifInput& input, const TOutputPlan& plan, std::size_t index);
// The same for a command that knows whether it changed the document, also
// outside its tables (a frame's transparent colour): in place, an unchanged
// one is not written.
bool WriteResult(TGifInput& input, const TOutputPlan& plan, std::size_t index, bool changed);

}  // namespace cli
