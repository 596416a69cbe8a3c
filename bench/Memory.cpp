#include "bench/Memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace bench {

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Probe() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tintwell_memprobe")
      .string();
}

// The peak in KiB that the probe prints for one mode, -1 when it fails. The
// probe measures itself: the peak the kernel reports to a parent can include
// the memory of the process it was started from.
long ProbePeakKb(const std::string& arguments) {
  std::FILE* child = popen((Quoted(Probe()) + " " + arguments + " 2>/dev/null").c_str(), "r");
  if (child == nullptr) return -1;
  long kb = -1;
  if (std::fscanf(child, "%ld", &kb) != 1) kb = -1;
  return pclose(child) == 0 ? kb : -1;
}

// Calls per system call name between the probe's two marker writes.
std::map<std::string, int> CountBetweenMarkers(const std::string& log) {
  std::map<std::string, int> counts;
  std::ifstream in(log);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.find("write(-1, \"save begins\"") == 0) {
      inside = true;
    } else if (line.find("write(-1, \"save ends\"") == 0) {
      inside = false;
    } else if (inside) {
      const std::size_t paren = line.find('(');
      if (paren != std::string::npos && paren > 0 && line[0] != '-' && line[0] != '+')
        ++counts[line.substr(0, paren)];
    }
  }
  return counts;
}

void PrintCounts(const char* who, const std::map<std::string, int>& counts) {
  int total = 0;
  for (const auto& [name, n] : counts) total += n;
  std::printf("  %-20s %3d:", who, total);
  std::vector<std::pair<int, std::string>> sorted;
  for (const auto& [name, n] : counts) sorted.emplace_back(-n, name);
  std::sort(sorted.begin(), sorted.end());
  for (const auto& [n, name] : sorted) std::printf(" %s %d", name.c_str(), -n);
  std::printf("\n");
}

}  // namespace

void ReportMemory(const std::vector<MemoryInput>& inputs, const std::string& scratch) {
  const long idle = ProbePeakKb("idle");
  if (idle < 0) {
    std::printf("\npeak memory: %s does not run\n", Probe().c_str());
    return;
  }
  std::printf(
      "\npeak resident memory, KiB above a process that loads nothing (%ld KiB); the limits\n"
      "are file + pixels + 1 MiB while loading, that + the encoded size while saving\n",
      idle);
  std::printf("%-40s %8s %8s %8s | %8s %8s %5s %8s | %8s %8s %5s\n", "", "file", "pixels",
              "encoded", "load", "limit", "use", "giflib", "save", "limit", "use");
  double worstLoad = 0, worstSave = 0;
  std::string worstLoadName, worstSaveName;
  for (const MemoryInput& input : inputs) {
    const std::string out = scratch + "/memory-save.gif";
    const long load = ProbePeakKb("load " + Quoted(input.path));
    const long giflib = ProbePeakKb("load-giflib " + Quoted(input.path));
    const long save =
        input.saves ? ProbePeakKb("save " + Quoted(input.path) + " " + Quoted(out)) : -1;
    std::error_code error;
    const double fileKb = double(std::filesystem::file_size(input.path, error)) / 1024;
    const double encodedKb = save >= 0 ? double(std::filesystem::file_size(out, error)) / 1024 : 0;
    std::filesystem::remove(out, error);
    const double pixelKb = input.pixels / 1024;
    const double loadLimit = fileKb + pixelKb + 1024;
    const double saveLimit = loadLimit + encodedKb;
    const double loadUse = double(load - idle) / loadLimit;
    const double saveUse = save >= 0 ? double(save - idle) / saveLimit : 0;
    std::printf("%-40.40s %8.0f %8.0f %8.0f | %8ld %8.0f %5.2f %8ld |", input.name.c_str(), fileKb,
                pixelKb, encodedKb, load - idle, loadLimit, loadUse, giflib - idle);
    if (save >= 0)
      std::printf(" %8ld %8.0f %5.2f\n", save - idle, saveLimit, saveUse);
    else
      std::printf(" %8s\n", "not saved");
    if (loadUse > worstLoad) worstLoad = loadUse, worstLoadName = input.name;
    if (saveUse > worstSave) worstSave = saveUse, worstSaveName = input.name;
  }
  std::printf("highest use of the limit: loading %.2f (%s), saving %.2f (%s)\n", worstLoad,
              worstLoadName.c_str(), worstSave, worstSaveName.c_str());
}

void ReportSystemCalls(const std::string& path, const std::string& scratch) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) {
    std::printf("\nsystem calls of one save: strace is not installed\n");
    return;
  }
  std::printf("\nsystem calls of one save of %s over an existing file in %s (strace)\n",
              path.c_str(), scratch.c_str());
  const std::string log = scratch + "/strace.log";
  const std::pair<const char*, const char*> runs[] = {{"trace-save", "SaveFile"},
                                                      {"trace-giflib-save", "giflib + fsync"}};
  for (const auto& [mode, who] : runs) {
    const std::string out = scratch + "/strace-" + mode + ".gif";
    const std::string run = Quoted(Probe()) + " " + mode + " " + Quoted(path) + " " + Quoted(out);
    // The first run creates the file that the traced one replaces.
    if (std::system((run + " >/dev/null 2>&1").c_str()) != 0 ||
        std::system(("strace -o " + Quoted(log) + " " + run + " >/dev/null 2>&1").c_str()) != 0) {
      std::printf("  %s: the traced save failed\n", who);
      continue;
    }
    PrintCounts(who, CountBetweenMarkers(log));
  }
  std::error_code error;
  std::filesystem::remove(log, error);
}

}  // namespace bench
