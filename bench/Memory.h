// Peak resident memory of loading and saving, and the system calls of one
// save, each measured in a fresh process (tintwell_memprobe beside the
// benchmark).
#pragma once

#include <string>
#include <vector>

namespace bench {

struct MemoryInput {
  std::string name;
  std::string path;
  double pixels = 0;
  bool saves = true;  // we save what we load
};

// Peaks above an idle process, against the limits file + pixels + 1 MiB while
// loading and that + the encoded size while saving; `scratch` takes the
// saved copies.
void ReportMemory(const std::vector<MemoryInput>& inputs, const std::string& scratch);

// The system calls of one SaveFile of `path` over an existing file in
// `scratch`, and of giflib's durable save beside it, counted with strace.
void ReportSystemCalls(const std::string& path, const std::string& scratch);

}  // namespace bench
