#include "cli/Batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/InputOutput.h"
#include "cli/Messages.h"
#include "cli/Options.h"
#include "gif/AppExtensions.h"
#include "gif/ExtensionRegistry.h"
#include "gif/Settings.h"

namespace cli {

namespace {

struct TOutcome {
  std::string Out;
  std::string Notes;
  bool Failed = false;
};

TOutcome RunOne(const TFileTask& task, std::size_t index, const std::string& file) {
  TOutcome outcome;
  try {
    outcome.Out = task(index, outcome.Notes);
  } catch (const std::exception& e) {
    outcome.Notes += DisplayName(file) + ": " + e.what() + "\n";
    outcome.Failed = true;
  } catch (...) {
    outcome.Notes += DisplayName(file) + ": unknown error\n";
    outcome.Failed = true;
  }
  return outcome;
}

class TProgressLine {
 public:
  TProgressLine(std::FILE* err, std::size_t total, bool shown)
      : err_(err), total_(total), shown_(shown), start_(std::chrono::steady_clock::now()) {}

  void Show(std::size_t done) {
    if (!shown_) return;
    // A few updates a second are enough to read and cost nothing.
    const auto now = std::chrono::steady_clock::now();
    if (visible_ && now - shownAt_ < std::chrono::milliseconds(100)) return;
    shownAt_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    std::fprintf(err_, "\r%zu/%zu files, %.0f files/s\033[K", done, total_, rate);
    std::fflush(err_);
    visible_ = true;
  }
  // Clears the line so that a report line starts at the left margin.
  void Hide() {
    if (!visible_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    visible_ = false;
  }

 private:
  std::FILE* err_;
  std::size_t total_;
  bool shown_;
  bool visible_ = false;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point shownAt_;
};

// The signal that asked the batch to stop, or 0. Lock-free, so the handler may
// set it and the workers read it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
  stopSignal = signal;
}

// An interrupt or termination lets the files in hand finish (a second one ends
// the program at once); a closed output pipe is noticed where the reports are
// written instead of ending the program in the middle of a save.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int DefaultJobs() {
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int RunBatch(const std::vector<std::string>& files, const TFileTask& task,
             const TBatchOptions& options, std::FILE* out, std::FILE* err) {
  // The library makes its kind registries and settings on first use, which is
  // not safe from several threads at once: make them here, before any worker.
  gif::LabelRegistry();
  gif::IdentRegistry();
  gif::LibrarySettings();
  CatchStopSignals();

  std::vector<std::optional<TOutcome>> outcomes(files.size());
  std::size_t completed = 0;  // guarded by mutex, as outcomes and running
  std::size_t running = 0;
  std::mutex mutex;
  std::condition_variable finished;
  std::atomic<std::size_t> next{0};

  // A stop lets every file that has begun finish, so that none is left half
  // written, and starts no other.
  auto work = [&] {
    for (std::size_t i = next++; i < files.size() && !stopSignal; i = next++) {
      TOutcome outcome = RunOne(task, i, files[i]);
      const std::lock_guard<std::mutex> lock(mutex);
      outcomes[i] = std::move(outcome);
      ++completed;
      finished.notify_one();
    }
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_one();
  };
  const std::size_t workers =
      std::min(files.size(), static_cast<std::size_t>(std::max(1, options.Jobs)));
  running = workers;
  std::vector<std::jthread> threads;
  threads.reserve(workers);
  for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);

  // This thread writes the reports in input order as soon as each is ready,
  // so a long run shows its results while it goes on, and refreshes the
  // progress line in between. Files finish in a gapless run from the first,
  // so once no worker runs, every report there is has been written.
  TProgressLine progress(err, files.size(), options.Progress);
  const bool outTerminal = options.Progress && ::isatty(::fileno(out)) != 0;
  int status = 0;
  std::size_t written = 0;
  std::vector<TOutcome> ready;
  std::unique_lock<std::mutex> lock(mutex);
  for (bool over = files.empty(); !over;) {
    finished.wait_for(lock, std::chrono::milliseconds(200),
                      [&] { return running == 0 || outcomes[written].has_value(); });
    for (; written < files.size() && outcomes[written]; ++written) {
      ready.push_back(std::move(*outcomes[written]));
      outcomes[written].reset();
    }
    over = written == files.size() || running == 0;
    const std::size_t done = completed;
    lock.unlock();
    for (const TOutcome& outcome : ready) {
      // Notes come first: a file's warnings lead up to its report or failure.
      if (!outcome.Notes.empty()) {
        progress.Hide();
        std::fflush(out);
        std::fputs(outcome.Notes.c_str(), err);
        std::fflush(err);
      }
      if (outcome.Failed) status = 1;
      // The progress line is cleared only for text that lands on its terminal.
      if (outTerminal && !outcome.Out.empty()) progress.Hide();
      if (!outcome.Out.empty()) std::fputs(outcome.Out.c_str(), out);
    }
    ready.clear();
    // Nobody reads the reports any more (a closed pipe): stop as for a signal.
    if (std::fflush(out) != 0 || std::ferror(out)) stopSignal = SIGPIPE;
    progress.Show(done);
    lock.lock();
  }
  lock.unlock();
  progress.Hide();
  if (written == files.size()) return status;
  // A closed pipe ends quietly, as it would end any filter.
  if (stopSignal != SIGPIPE)
    std::fprintf(
        err, "%s\n",
        Format(msg::Stopped, {std::to_string(written), std::to_string(files.size())}).c_str());
  return 128 + stopSignal;
}

int RunWritingBatch(const std::vector<std::string>& files, const TOutputPlan& outputs, int jobs,
                    const TFileTask& task) {
  if (!PrepareOutputs(outputs)) return 1;
  TBatchOptions batch;
  batch.Jobs = jobs;
  batch.Progress = ::isatty(STDERR_FILENO) != 0;
  return RunBatch(files, task, batch, ReportStream(outputs.Output), stderr);
}

}  // namespace cli
