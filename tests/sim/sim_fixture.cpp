#include "sim_fixture.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "app/keyboard_input.hpp"
#include "app/main_window.hpp"
#include "audio/background_music.hpp"
#include "render/camera.hpp"
#include "render/graphics_device.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/game_state.hpp"
#include "sim/lanes.hpp"
#include "sim/probes.hpp"
#include "sim/recorder.hpp"
#include "sim/scene.hpp"
#include "sim/traffic.hpp"

namespace {

const char* const MODEL_FILES[] = {"car",   "sph",    "dir", "mg",     "ford",
                                   "honda", "truck1", "oct", "honda2", "skybox2"};

const char* const TRIANGLE_X = R"(xof 0303txt 0032
Mesh {
 3;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 0.0;1.0;0.0;;
 1;
 3;0,1,2;;
}
)";

}  // namespace

void SimTest::SetUp() {
  folder_ = (std::filesystem::temp_directory_path() /
             ("rz_sim_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                .string();
  std::filesystem::remove_all(folder_);
  ASSERT_TRUE(std::filesystem::create_directories(folder_)) << folder_;
  previousFolder_ = std::filesystem::current_path().string();
  std::filesystem::current_path(folder_);
  std::filesystem::create_directory("Data");

  platform::null::install();
  createAppState();
  resetKeyboardState();
  resetMainWindowState();
  resetFrameDriverState();
  resetGraphicsDeviceState();
  resetObjectTable();
  resetCameraAndLights();
  resetMusicState();
  resetSceneState();
  resetGameState();
  resetLaneState();
  resetTrafficState();
  resetProbeState();
  resetDrivingState();
  resetRecorderState();
}

void SimTest::TearDown() {
  resetObjectTable();  // releases meshes while their device still exists
  resetGraphicsDeviceState();
  std::filesystem::current_path(previousFolder_);
  std::filesystem::remove_all(folder_);
}

void SimTest::writeFile(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

void SimTest::writeSmallModels() {
  for (const char* name : MODEL_FILES) writeFile(std::string("Data/") + name + ".x", TRIANGLE_X);
}

void SimTest::writeTrack(const char* wallStartZ) {
  std::string text =
      "xof 0303txt 0032\n"
      "Mesh {\n";
  if (!wallStartZ) {
    text +=
        " 4;\n"
        " -1000.0;0.0;-1000.0;, 1000.0;0.0;-1000.0;, 1000.0;0.0;1000.0;, -1000.0;0.0;1000.0;;\n"
        " 2;\n"
        " 3;0,3,2;, 3;0,2,1;;\n";
  } else {
    const std::string z = wallStartZ;
    text +=
        " 8;\n"
        " -1000.0;0.0;-1000.0;, 1000.0;0.0;-1000.0;, 1000.0;0.0;1000.0;, -1000.0;0.0;1000.0;,\n"
        " -1000.0;5.0;" +
        z + ";, 1000.0;5.0;" + z +
        ";, 1000.0;5.0;200.0;, -1000.0;5.0;200.0;;\n"
        " 4;\n"
        " 3;0,3,2;, 3;0,2,1;, 3;4,7,6;, 3;4,6,5;;\n";
  }
  text += "}\n";
  writeFile("Data/try.x", text);
}

void SimTest::startGame() {
  createKeyboard();
  createMainWindow();
  bindKeyboardToWindow();
  createGraphicsDevice();
  ASSERT_NE(device, nullptr);
}

void SimTest::frame() { driveFrame(); }

void SimTest::frames(int n) {
  for (int i = 0; i < n; ++i) driveFrame();
}
