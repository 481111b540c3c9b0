#pragma once

#include <QApplication>
#include <cstdlib>

namespace marvek::bench {

// The application the window's measurements run in: on Qt's offscreen platform unless another is
// chosen, so that the bench runs where there is no display.
class OffscreenApplication {
 public:
  OffscreenApplication() : application_(argc_, argv_) {}

 private:
  // Chooses the platform before the application starts, which reads it once.
  struct OffscreenPlatform {
    OffscreenPlatform() { ::setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  };
  OffscreenPlatform platform_;
  // QApplication keeps the argument count by reference: it lives as long as the application.
  int argc_ = 1;
  char name_[13] = "marvek_bench";
  char* argv_[2] = {name_, nullptr};
  QApplication application_;
};

}  // namespace marvek::bench
