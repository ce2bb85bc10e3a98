// Runs the windowed tests inside one QApplication, with a private runtime folder (Qt wants
// one and complains without it).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  char runtimeDir[] = "/tmp/brindle-uiqt-XXXXXX";
  if (mkdtemp(runtimeDir)) setenv("XDG_RUNTIME_DIR", runtimeDir, 1);
  if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY") && !getenv("QT_QPA_PLATFORM")) {
    // Run under xvfb-run for a real window; without any display the widgets still work
    // off screen.
    std::fprintf(stderr, "no display: using the offscreen platform\n");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  int result = 0;
  {
    QApplication app(argc, argv);
    result = RUN_ALL_TESTS();
  }
  rmdir(runtimeDir);
  return result;
}
