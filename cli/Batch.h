// Running one command over many files on several threads: each file's report
// goes out in the order the files were given, failures as "FILE: message" on
// the error stream, and a progress line while a terminal watches.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace cli {

// Works on the file at an index of the list and returns its report (whole
// lines, may be empty). A failure is an exception whose what() is the
// message. Lines put in notes (warnings) go to the error stream before the
// report or the failure, also when the task fails.
using TFileTask = std::function<std::string(std::size_t index, std::string& notes)>;

struct TBatchOptions {
  int Jobs = 1;
  // Show "done/total files, N files/s" on err, rewritten in place.
  bool Progress = false;
};

// The number of files worked on at once when -j is not given.
int DefaultJobs();

// Runs task over every file, at most options.Jobs at a time. Reports go to
// out, failures and notes to err. Returns 0 when
// every file succeeded, 1 when any failed; every file is tried either way.
// An interrupt, termination or hang-up, or a closed output, stops the batch
// once the files in hand are done: the result is then 128 + the signal.
int RunBatch(const std::vector<std::string>& files, const TFileTask& task,
             const TBatchOptions& options, std::FILE* out, std::FILE* err);

struct TOutputPlan;

// A command that writes files: makes its outputs ready (1 when it cannot),
// then runs task over every file with jobs at a time, the reports going where
// the outputs say, failures to the error stream, progress while a terminal
// watches it.
int RunWritingBatch(const std::vector<std::string>& files, const TOutputPlan& outputs, int jobs,
                    const TFileTask& task);

}  // namespace cli
