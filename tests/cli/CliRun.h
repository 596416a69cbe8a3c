// Running the built tintwell-cli from a test, and the scratch folders and file
// snapshots the tests compare before and after a run.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace cli_test {

struct TRun {
  int Status = -1;  // exit status; -1 when the program did not exit normally
  std::string Out;
  std::string Err;
};

// Runs tintwell-cli with args. With asUnprivileged and a root test process,
// the program runs as user and group nobody, so that file permissions apply.
// A signal other than 0 is sent to the program once it has reported a file.
TRun RunCli(const std::vector<std::string>& args, bool asUnprivileged = false, int signal = 0);

// Runs a shell command line (a pipeline, say) in which $CLI names the built
// tintwell-cli.
TRun RunShell(const std::string& commandLine);

// A fresh folder under the system's temporary folder, removed with everything
// in it at the end of the test.
class TScratch {
 public:
  TScratch();
  ~TScratch();
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);
std::string CorpusFile(const std::string& name);

// Every file under a folder (relative name -> content), for "nothing changed".
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

}  // namespace cli_test
