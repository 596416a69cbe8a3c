// The progress bar the status bar shows while a large file loads or saves,
// driven by the GIF library's progress notifications.
#pragma once

#include <QProgressBar>
#include <QStatusBar>
#include <cstdint>

#include "gif/Persistent.h"

namespace app {

// Files at least this large show the bar; smaller ones are done before a bar
// could be seen.
inline constexpr std::int64_t LargeFileBytes = std::int64_t{4} << 20;

class TStatusProgress {
 public:
  // The bar is added to the status bar, right-aligned and hidden.
  explicit TStatusProgress(QStatusBar& statusBar);

  // Subscribes the bar to one load or save of a graphic while it lives, when
  // large; on leaving, however the scope ends, the subscription ends and the
  // bar hides.
  class TScope {
   public:
    TScope(TStatusProgress& progress, gif::TGraphic& graphic, bool large);
    ~TScope();
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;

   private:
    TStatusProgress& progress_;
    gif::TGraphic& graphic_;
    bool active_;
  };

  // Moves the bar to a notification's percentage and lets the window repaint;
  // input waits, so no command can start inside the one that runs.
  void Notify(gif::TProgressStage stage, int percentDone);

  QProgressBar& Bar() { return bar_; }

 private:
  QProgressBar bar_;
};

}  // namespace app
