#include "CliRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace cli_test {

namespace {

TRun Run(const TScratch& capture, std::vector<std::string> command, int signal) {
  const std::string outName = capture / "stdout";
  const std::string errName = capture / "stderr";
  std::vector<char*> argv;
  for (std::string& arg : command) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child == 0) {
    // Standard error is a file, never a terminal: no progress line.
    const int out = ::open(outName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open(errName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    // Nothing to read unless a pipeline of the command line gives it.
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0)
      ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (signal != 0 && child > 0) {
    while (ReadBytes(outName).find('\n') == std::string::npos &&
           ::waitpid(child, nullptr, WNOHANG) == 0)
      ::usleep(1000);
    ::kill(child, signal);
  }
  TRun run;
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return run;
  if (WIFEXITED(status)) run.Status = WEXITSTATUS(status);
  run.Out = ReadBytes(outName);
  run.Err = ReadBytes(errName);
  return run;
}

}  // namespace

TRun RunCli(const std::vector<std::string>& args, bool asUnprivileged, int signal) {
  const TScratch capture;
  std::vector<std::string> command;
  std::string program = TINTWELL_CLI;
  if (asUnprivileged && ::geteuid() == 0) {
    command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    // A copy in the open scratch folder: the build folder may be closed to nobody.
    program = capture / "tintwell-cli";
    std::filesystem::copy_file(TINTWELL_CLI, program);
  }
  command.push_back(program);
  command.insert(command.end(), args.begin(), args.end());
  return Run(capture, std::move(command), signal);
}

TRun RunShell(const std::string& commandLine) {
  const TScratch capture;
  // The program's path is the shell's first argument, so it needs no quoting.
  return Run(capture, {"/bin/sh", "-c", "export CLI=\"$0\"; " + commandLine, TINTWELL_CLI}, 0);
}

TScratch::TScratch() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tintwell-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  // Open to an unprivileged run of the program.
  std::filesystem::permissions(path_, std::filesystem::perms::all);
}

TScratch::~TScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string CorpusFile(const std::string& name) {
  std::string path = std::string(TINTWELL_CORPUS_DIR) + "/" + name;
  // A missing input fails the test that needs it with its name, not later
  // with a confusing difference.
  if (!std::filesystem::is_regular_file(path))
    throw std::runtime_error("missing test input " + path);
  return path;
}

std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    files[std::filesystem::relative(entry.path(), folder).string()] =
        entry.is_regular_file() ? ReadBytes(entry.path()) : std::string("<folder>");
  return files;
}

}  // namespace cli_test
