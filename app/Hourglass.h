// The application-wide hourglass for commands that block the window.
#pragma once

#include <QApplication>
#include <QCursor>

namespace app {

// Shows the wait cursor for its lifetime. On leaving, however the scope ends,
// every override is dropped so the default cursor is back, not whichever
// override happened to be active before.
class THourglass {
 public:
  THourglass() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~THourglass() {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};

// Shows the arrow while a modal box waits for the user inside a command that
// runs under the hourglass, then brings the hourglass back.
class TArrowWhileAsking {
 public:
  TArrowWhileAsking() { QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
  ~TArrowWhileAsking() { QApplication::restoreOverrideCursor(); }
  TArrowWhileAsking(const TArrowWhileAsking&) = delete;
  TArrowWhileAsking& operator=(const TArrowWhileAsking&) = delete;
};

}  // namespace app
