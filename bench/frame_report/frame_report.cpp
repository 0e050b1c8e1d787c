// frame_report [SCRIPT]: plays a scripted drive through the game's own
// start-up and frames on the platform's device (report_backend.hpp) and
// reports frames per second,
// milliseconds per frame (median and 95th percentile) and how the frame time
// splits between the game's own code and the device, beside a baseline of
// the same device only clearing and presenting, measured in the same run.
//
// SCRIPT is a key script in the replay tool's format (default: drive.txt
// beside this file). The clock is the script's, so the drive takes the same
// path on any machine; the frames run back to back, unpaced, and the wall
// time of each is measured. Runs in the build's run folder when the working
// folder has no Data/.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <vector>

#include "app/entry.hpp"
#include "app/main_loop.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"
#include "report_backend.hpp"
#include "script.hpp"
#include "sim/scene.hpp"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

double nowSeconds() {
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Seconds spent inside device calls, from the game and the baseline alike.
double deviceSeconds = 0;

struct DeviceTimer {
  double start = nowSeconds();
  ~DeviceTimer() { deviceSeconds += nowSeconds() - start; }
};

// The real device, with the time of every call counted. Present waits for
// the picture to be finished, so that a frame's drawing is counted in the
// frame that asked for it, not in whichever later call stalls.
class TimedDevice : public Device {
 public:
  explicit TimedDevice(Device* inner) : inner_(inner) {}
  Device* inner() { return inner_; }

  Result testCooperativeLevel() override {
    DeviceTimer t;
    return inner_->testCooperativeLevel();
  }
  Result reset(const PresentParams& p) override {
    DeviceTimer t;
    return inner_->reset(p);
  }
  Result clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override {
    DeviceTimer t;
    return inner_->clear(flags, argb, z, stencil);
  }
  Result beginScene() override {
    DeviceTimer t;
    return inner_->beginScene();
  }
  Result endScene() override {
    DeviceTimer t;
    return inner_->endScene();
  }
  Result present() override {
    DeviceTimer t;
    const Result r = inner_->present();
    finishPicture();
    return r;
  }
  Result setRenderState(RenderState s, uint32_t v) override {
    DeviceTimer t;
    return inner_->setRenderState(s, v);
  }
  Result setTransform(TransformState s, const Matrix& m) override {
    DeviceTimer t;
    return inner_->setTransform(s, m);
  }
  Result getTransform(TransformState s, Matrix& m) override {
    DeviceTimer t;
    return inner_->getTransform(s, m);
  }
  Result setMaterial(const Material& m) override {
    DeviceTimer t;
    return inner_->setMaterial(m);
  }
  Result setTexture(uint32_t stage, TextureHandle tex) override {
    DeviceTimer t;
    return inner_->setTexture(stage, tex);
  }
  Result setLight(uint32_t i, const Light& l) override {
    DeviceTimer t;
    return inner_->setLight(i, l);
  }
  Result lightEnable(uint32_t i, bool on) override {
    DeviceTimer t;
    return inner_->lightEnable(i, on);
  }
  MeshHandle createMesh(const MeshUpload& m) override {
    DeviceTimer t;
    return inner_->createMesh(m);
  }
  Result drawSubset(MeshHandle m, uint32_t subset) override {
    DeviceTimer t;
    return inner_->drawSubset(m, subset);
  }
  void releaseMesh(MeshHandle m) override {
    DeviceTimer t;
    inner_->releaseMesh(m);
  }
  TextureHandle createTexture(const Image& image) override {
    DeviceTimer t;
    return inner_->createTexture(image);
  }
  void releaseTexture(TextureHandle tex) override {
    DeviceTimer t;
    inner_->releaseTexture(tex);
  }
  FontHandle createFont(int32_t height, uint32_t weight, const char* face) override {
    DeviceTimer t;
    return inner_->createFont(height, weight, face);
  }
  int32_t drawText(FontHandle f, const char* text, int32_t count, const Rect& r, uint32_t format,
                   uint32_t argb) override {
    DeviceTimer t;
    return inner_->drawText(f, text, count, r, format, argb);
  }
  void releaseFont(FontHandle f) override {
    DeviceTimer t;
    inner_->releaseFont(f);
  }

 private:
  Device* inner_;
};

// The backend's graphics system, handing out its device wrapped.
class TimedGraphics : public GraphicsSystem {
 public:
  explicit TimedGraphics(GraphicsSystem* inner) : inner_(inner) {}

  uint32_t adapterModeCount(Format f) override { return inner_->adapterModeCount(f); }
  Result enumAdapterMode(Format f, uint32_t mode, DisplayMode& out) override {
    return inner_->enumAdapterMode(f, mode, out);
  }
  Result checkDeviceType(Format display, Format back, bool windowed) override {
    return inner_->checkDeviceType(display, back, windowed);
  }
  Result checkDepthStencilFormat(Format adapter, Format depth) override {
    return inner_->checkDepthStencilFormat(adapter, depth);
  }
  Result getDeviceCaps() override { return inner_->getDeviceCaps(); }
  Device* createDevice(const PresentParams& p) override {
    Device* d = inner_->createDevice(p);
    if (!d) return nullptr;
    timed_.emplace_back(d);
    return &timed_.back();
  }
  void releaseDevice(Device* d) override {
    auto* timed = static_cast<TimedDevice*>(d);
    inner_->releaseDevice(timed->inner());
  }

 private:
  GraphicsSystem* inner_;
  std::deque<TimedDevice> timed_;  // handed out by address
};

// The backend's system service on the script's clock, with the game's window
// always the active one (an offscreen window never gets the focus).
class ScriptedSystem : public System {
 public:
  explicit ScriptedSystem(System* inner) : inner_(inner) {}
  uint32_t clockMs = 0;

  bool registerWindowClass(const char* name) override { return inner_->registerWindowClass(name); }
  bool createMainWindow(const WindowDesc& d) override { return inner_->createMainWindow(d); }
  void showMainWindow() override { inner_->showMainWindow(); }
  void updateMainWindow() override { inner_->updateMainWindow(); }
  bool peekEvent(Event& out) override { return inner_->peekEvent(out); }
  bool waitForEvent(uint32_t ms) override { return inner_->waitForEvent(ms); }
  void postQuit(int32_t code) override { inner_->postQuit(code); }
  bool isMainWindowActive() override { return true; }
  void showCursor(bool visible) override { inner_->showCursor(visible); }
  Rect clientRect() override { return inner_->clientRect(); }
  void sleep(uint32_t ms) override { inner_->sleep(ms); }
  uint32_t timeMs() override { return clockMs; }

 private:
  System* inner_;
};

class ScriptedKeyboard : public Keyboard {
 public:
  std::vector<uint8_t> held;

  void setCooperativeLevel() override {}
  Result acquire() override { return Result::Ok; }
  Result getState(uint8_t (&state)[KEY_STATE_SIZE]) override {
    std::fill(std::begin(state), std::end(state), uint8_t{0});
    for (uint8_t code : held) state[code] = 0x80;
    return Result::Ok;
  }
};

struct Timings {
  std::vector<double> frameSeconds;
  double totalSeconds = 0;
  double deviceSeconds = 0;
};

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void printRow(const char* name, const Timings& t) {
  const double frames = static_cast<double>(t.frameSeconds.size());
  const double gameShare = t.totalSeconds > 0 ? 1 - t.deviceSeconds / t.totalSeconds : 0;
  std::printf("%-20s %7zu %8.1f %10.2f %8.2f %9.1f%% %7.1f%%\n", name, t.frameSeconds.size(),
              t.totalSeconds > 0 ? frames / t.totalSeconds : 0,
              1000 * percentile(t.frameSeconds, 0.5), 1000 * percentile(t.frameSeconds, 0.95),
              100 * gameShare, 100 * (1 - gameShare));
}

// Events are taken off the queue so that it cannot fill; the offscreen
// window has none that matter here.
void drainEvents() {
  Event e;
  while (sys().peekEvent(e)) {
  }
}

Timings runBaseline(int frames) {
  Timings t;
  const double deviceBefore = deviceSeconds;
  const double start = nowSeconds();
  for (int i = 0; i < frames; ++i) {
    const double frameStart = nowSeconds();
    drainEvents();
    device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    device->beginScene();
    device->endScene();
    device->present();
    t.frameSeconds.push_back(nowSeconds() - frameStart);
  }
  t.totalSeconds = nowSeconds() - start;
  t.deviceSeconds = deviceSeconds - deviceBefore;
  return t;
}

Timings runDrive(const std::vector<ScriptStep>& steps, ScriptedSystem& system,
                 ScriptedKeyboard& keyboard) {
  Timings t;
  startFrameClock();
  const double deviceBefore = deviceSeconds;
  const double start = nowSeconds();
  for (const ScriptStep& step : steps) {
    if (step.kind == StepKind::Lose) continue;  // an offscreen device is never lost
    keyboard.held = step.keys;
    for (uint32_t i = 0; i < step.count; ++i) {
      const double frameStart = nowSeconds();
      drainEvents();
      system.clockMs += step.ms;
      runFrame(system.clockMs);
      t.frameSeconds.push_back(nowSeconds() - frameStart);
    }
  }
  t.totalSeconds = nowSeconds() - start;
  t.deviceSeconds = deviceSeconds - deviceBefore;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fputs("usage: frame_report [SCRIPT]\n", stderr);
    return 2;
  }
  const char* scriptPath = argc == 2 ? argv[1] : FRAME_REPORT_SCRIPT;
  std::vector<ScriptStep> steps;
  if (!readScript(scriptPath, steps)) return 2;
  uint64_t scriptMs = 0, scriptFrames = 0;
  for (const ScriptStep& s : steps) {
    if (s.kind == StepKind::Lose) continue;
    scriptFrames += s.count;
    scriptMs += uint64_t{s.count} * s.ms;
  }

  std::error_code ec;
  if (!std::filesystem::is_directory("Data", ec) &&
      (std::filesystem::current_path(FRAME_REPORT_RUN_DIR, ec), ec)) {
    std::fprintf(stderr, "frame_report: no Data/ here and no run folder %s\n",
                 FRAME_REPORT_RUN_DIR);
    return 1;
  }
  if (!installReportBackend()) return 1;
  Services& s = services();
  ScriptedSystem system(s.system);
  ScriptedKeyboard keyboard;
  TimedGraphics graphics(s.graphics);
  s.system = &system;
  s.keyboard = &keyboard;
  s.graphics = &graphics;

  const double setUpStart = nowSeconds();
  if (!startUpGame()) {
    std::fputs("frame_report: the game could not start its device\n", stderr);
    return 1;
  }
  const double startUp = nowSeconds() - setUpStart;

  constexpr int BASELINE_FRAMES = 600;
  // Half the baseline before the drive and half after, so that a machine
  // whose speed drifts during the run weighs on both alike.
  Timings baseline = runBaseline(BASELINE_FRAMES / 2);
  const Timings drive = runDrive(steps, system, keyboard);
  const Timings after = runBaseline(BASELINE_FRAMES / 2);
  baseline.frameSeconds.insert(baseline.frameSeconds.end(), after.frameSeconds.begin(),
                               after.frameSeconds.end());
  baseline.totalSeconds += after.totalSeconds;
  baseline.deviceSeconds += after.deviceSeconds;

  // What a device reset costs: the whole scene set up again.
  const double reloadStart = nowSeconds();
  setUpScene();
  const double reload = nowSeconds() - reloadStart;

  std::printf("frame report: %s, %llu frames (%.1f s of game time), %s\n", scriptPath,
              static_cast<unsigned long long>(scriptFrames), static_cast<double>(scriptMs) / 1000,
              deviceName().c_str());
  std::printf("%-20s %7s %8s %10s %8s %10s %8s\n", "", "frames", "fps", "median ms", "p95 ms",
              "game code", "device");
  printRow("scripted drive", drive);
  printRow("clear and present", baseline);
  if (!drive.frameSeconds.empty())
    std::printf("the game's own code takes %.3f ms a drive frame on average, the device %.2f ms\n",
                1000 * (drive.totalSeconds - drive.deviceSeconds) /
                    static_cast<double>(drive.frameSeconds.size()),
                1000 * drive.deviceSeconds / static_cast<double>(drive.frameSeconds.size()));
  const double baseMedian = percentile(baseline.frameSeconds, 0.5);
  if (baseMedian > 0)
    std::printf("a drive frame takes %.1f times a bare frame (medians)\n",
                percentile(drive.frameSeconds, 0.5) / baseMedian);
  std::printf(
      "start-up with the first scene set-up %.0f ms; scene set-up again (as after a "
      "device reset) %.0f ms\n",
      1000 * startUp, 1000 * reload);

  releaseGraphicsDevice();
  uninstallReportBackend();
  return 0;
}
