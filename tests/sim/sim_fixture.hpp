// A game started on the null backend in a temporary working folder, with
// every module at its zero start. Files the game reads are written into the
// folder before startGame().
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/null/null_backend.hpp"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void writeFile(const std::string& path, const std::string& text);
  // A lane file: the last index n, then the points (x(i), z(i)) for i = 0..n.
  template <typename PointX, typename PointZ>
  static void writeLane(const std::string& path, int n, PointX x, PointZ z) {
    std::string text = std::to_string(n) + "\n";
    for (int i = 0; i <= n; ++i) text += std::to_string(x(i)) + "\n" + std::to_string(z(i)) + "\n";
    writeFile(path, text);
  }
  // A one-triangle model in every Data/*.x file the scene loads.
  static void writeSmallModels();
  // Data/try.x: a floor at model height 0 over x and z in -1000..1000, and,
  // when wallStartZ is given, a slab at model height 5 (world 6.5) over
  // z in wallStartZ..200: the high probes meet it, the low ones see it too.
  static void writeTrack(const char* wallStartZ = nullptr);

  // The start-up of the game up to its main loop: window, keyboard, device
  // (whose creation sets up the scene).
  void startGame();
  // One frame as the frame driver runs it.
  void frame();
  void frames(int n);
  void hold(uint8_t code) { b().keyboard.press(code); }
  void lift(uint8_t code) { b().keyboard.release(code); }

  platform::null::Backend& b() { return platform::null::backend(); }
  platform::null::NullDevice& dev() { return *b().graphics.device; }

 private:
  std::string folder_;
  std::string previousFolder_;
};
