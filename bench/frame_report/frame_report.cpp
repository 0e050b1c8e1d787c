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
// time of each is measured. Runs in the build's run folder when the working folder has no
// Data/.
//
// With --frames or --check it measures nothing: it drives to the chosen
// frames and hashes, writes or compares their pictures (see the usage text).
// The picture test runs it with --check pictures.txt, the frames today's
// renderer draws, so a faster renderer must still draw every pixel the same.

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/entry.hpp"
#include "app/main_loop.hpp"
#include "pictures.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"
#include "report_backend.hpp"
#include "script.hpp"
#include "sim/scene.hpp"
#include "timed_device.hpp"

using namespace platform;
using namespace frame_report;

namespace {

// The backend's system service on the script's clock, with the game's window
// always the active one (an offscreen window never gets the focus).
class ScriptedSystem : public System {
 public:
  explicit ScriptedSystem(System* inner) : inner_(inner) {}
  uint32_t clockMs = 0;
  bool realClock = false;  // the backend's clocks instead of the script's

  bool registerWindowClass(const char* name) override { return inner_->registerWindowClass(name); }
  bool createMainWindow(const WindowDesc& d) override { return inner_->createMainWindow(d); }
  void showMainWindow() override { inner_->showMainWindow(); }
  void updateMainWindow() override { inner_->updateMainWindow(); }
  bool peekEvent(Event& out) override { return inner_->peekEvent(out); }
  bool waitForEventUs(uint32_t us) override { return inner_->waitForEventUs(us); }
  void postQuit(int32_t code) override { inner_->postQuit(code); }
  bool isMainWindowActive() override { return true; }
  void showCursor(bool visible) override { inner_->showCursor(visible); }
  Rect clientRect() override { return inner_->clientRect(); }
  void sleep(uint32_t ms) override { inner_->sleep(ms); }
  uint32_t timeMs() override { return realClock ? inner_->timeMs() : clockMs; }
  uint64_t timeUs() override { return realClock ? inner_->timeUs() : uint64_t{clockMs} * 1000; }

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

struct PictureOptions {
  std::vector<uint32_t> frames;      // hashes printed
  std::vector<PictureRef> expected;  // hashes compared
  std::string writeDir;              // where the PNG files go; empty: none
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

// Called after each drive frame with its number, counted from 1; false ends
// the drive there.
using FrameWatch = std::function<bool(uint32_t frame)>;

Timings runDrive(const std::vector<ScriptStep>& steps, ScriptedSystem& system,
                 ScriptedKeyboard& keyboard, const FrameWatch& watch) {
  Timings t;
  startFrameClock();
  const double deviceBefore = deviceSeconds;
  const double start = nowSeconds();
  uint32_t frame = 0;
  bool going = true;
  for (const ScriptStep& step : steps) {
    if (step.kind == StepKind::Lose) continue;  // an offscreen device is never lost
    keyboard.held = step.keys;
    for (uint32_t i = 0; going && i < step.count; ++i) {
      const double frameStart = nowSeconds();
      drainEvents();
      system.clockMs += step.ms;
      runFrame(system.clockMs);
      t.frameSeconds.push_back(nowSeconds() - frameStart);
      if (watch) going = watch(++frame);
    }
  }
  t.totalSeconds = nowSeconds() - start;
  t.deviceSeconds = deviceSeconds - deviceBefore;
  return t;
}

struct Pacing {
  double meanMs = 0, deviationMs = 0, shortestMs = 0, longestMs = 0;
  size_t gaps = 0;
  bool byPresents = false;  // the presents waited for the display to the end
};

// The game's own paced main loop on the real clock, on the title screen so
// that the frames are light and the spacing is the pacing's own: the
// spacing of the starts of `frames` frames after the first.
Pacing runPacing(ScriptedSystem& system, ScriptedKeyboard& keyboard, size_t frames) {
  std::vector<uint64_t> starts;
  system.realClock = true;
  keyboard.held.clear();
  frameStarts = &starts;
  startFrameClock();
  int32_t exitCode = 0;
  while (starts.size() <= frames && runMainLoopStep(exitCode)) {
  }
  frameStarts = nullptr;
  system.realClock = false;
  Pacing p;
  p.byPresents = presentsPaceFrames();
  std::vector<double> gaps;
  for (size_t i = 1; i < starts.size(); ++i)
    gaps.push_back(static_cast<double>(starts[i] - starts[i - 1]) / 1000.0);
  if (gaps.empty()) return p;
  p.gaps = gaps.size();
  for (double g : gaps) p.meanMs += g / static_cast<double>(gaps.size());
  for (double g : gaps) p.deviationMs += (g - p.meanMs) * (g - p.meanMs);
  p.deviationMs = std::sqrt(p.deviationMs / static_cast<double>(gaps.size()));
  p.shortestMs = *std::min_element(gaps.begin(), gaps.end());
  p.longestMs = *std::max_element(gaps.begin(), gaps.end());
  return p;
}

// A busy loop on the machine's last processor, as another program keeping
// one core busy would be, until the report is done.
class BusyLoop {
 public:
  BusyLoop()
      : thread_([this] {
          pinToLastCore();
          volatile uint64_t spins = 0;
          while (!stop_.load(std::memory_order_relaxed)) spins = spins + 1;
        }) {}
  ~BusyLoop() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

double loadAverage() {
  double load = -1;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = -1;
    std::fclose(f);
  }
  return load;
}

// The pictures mode: the drive up to its last chosen frame, each chosen
// frame hashed, written out and compared as the options ask. 0 when every
// compared frame matches.
int runPictures(const std::vector<ScriptStep>& steps, ScriptedSystem& system,
                ScriptedKeyboard& keyboard, const PictureOptions& options) {
  struct Chosen {
    PictureRef ref;
    bool compared;
  };
  std::vector<Chosen> chosen;
  for (const PictureRef& r : options.expected) chosen.push_back({r, true});
  for (uint32_t f : options.frames) chosen.push_back({{f, 0}, false});
  std::stable_sort(chosen.begin(), chosen.end(),
                   [](const Chosen& a, const Chosen& b) { return a.ref.frame < b.ref.frame; });
  int differ = 0;
  size_t next = 0;
  runDrive(steps, system, keyboard, [&](uint32_t frame) {
    for (; next < chosen.size() && chosen[next].ref.frame == frame; ++next) {
      std::vector<uint8_t> rgba;
      uint32_t width = 0, height = 0;
      if (!readPicture(rgba, width, height)) {
        std::fputs("frame_report: the back buffer cannot be read\n", stderr);
        ++differ;
        continue;
      }
      const uint64_t hash = pictureHash(rgba);
      std::printf("%u %016" PRIx64, frame, hash);
      if (chosen[next].compared && hash != chosen[next].ref.hash) {
        std::printf("  differs from %016" PRIx64, chosen[next].ref.hash);
        ++differ;
      }
      std::printf("\n");
      if (!options.writeDir.empty() && !writePicture(options.writeDir, frame, rgba, width, height))
        ++differ;
    }
    return next < chosen.size();
  });
  if (next < chosen.size()) {
    std::fprintf(stderr, "frame_report: the drive ended before frame %u\n", chosen[next].ref.frame);
    return 1;
  }
  if (differ) std::fprintf(stderr, "frame_report: %d pictures differ or failed\n", differ);
  return differ ? 1 : 0;
}

}  // namespace

// The exit status of a check that another renderer cannot make.
constexpr int SKIPPED = 77;

int main(int argc, char** argv) {
  const char* usage =
      "usage: frame_report [--busy] [--sharp] [--frames LIST] [--write DIR] [--check FILE] "
      "[SCRIPT]\n"
      "  --busy          keep one processor busy with a loop of its own meanwhile\n"
      "  --sharp         draw at the size the picture is shown, as the game's --sharp\n"
      "  --frames 10,31  print the hash of these frames of the drive (counted from 1)\n"
      "  --write DIR     also write them to DIR/frame-NNNN.png\n"
      "  --check FILE    compare the frames listed in FILE (\"FRAME HASH\" lines)\n"
      "                  with this renderer's; exit 1 if any differs, 77 if FILE's\n"
      "                  \"renderer NAME\" line names another renderer\n";
  const char* scriptPath = FRAME_REPORT_SCRIPT;
  const char* frameList = nullptr;
  const char* checkFile = nullptr;
  PictureOptions pictures;
  bool busy = false;
  DisplayOptions display;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool valued = arg == "--frames" || arg == "--write" || arg == "--check";
    if (valued && i + 1 == argc) {
      std::fputs(usage, stderr);
      return 2;
    }
    if (arg == "--busy") {
      busy = true;
    } else if (arg == "--sharp") {
      display.sharp = true;
    } else if (arg == "--frames") {
      frameList = argv[++i];
    } else if (arg == "--write") {
      pictures.writeDir = std::filesystem::absolute(argv[++i]).string();
    } else if (arg == "--check") {
      checkFile = argv[++i];
    } else if (arg.empty() || arg[0] == '-' || i + 1 != argc) {
      std::fputs(usage, stderr);
      return 2;
    } else {
      scriptPath = argv[i];
    }
  }
  std::vector<ScriptStep> steps;
  if (!readScript(scriptPath, steps)) return 2;
  uint64_t scriptMs = 0, scriptFrames = 0;
  for (const ScriptStep& s : steps) {
    if (s.kind == StepKind::Lose) continue;
    scriptFrames += s.count;
    scriptMs += uint64_t{s.count} * s.ms;
  }
  const uint32_t lastFrame = static_cast<uint32_t>(std::min<uint64_t>(scriptFrames, UINT32_MAX));
  if (frameList && !parseFrameList(frameList, lastFrame, pictures.frames)) return 2;
  std::string picturesRenderer;
  if (checkFile && !readPictureList(checkFile, lastFrame, pictures.expected, picturesRenderer))
    return 2;
  if (!pictures.writeDir.empty() && !frameList && !checkFile) {
    std::fputs("frame_report: --write needs --frames or --check\n", stderr);
    return 2;
  }

  std::error_code ec;
  if (!std::filesystem::is_directory("Data", ec) &&
      (std::filesystem::current_path(FRAME_REPORT_RUN_DIR, ec), ec)) {
    std::fprintf(stderr, "frame_report: no Data/ here and no run folder %s\n",
                 FRAME_REPORT_RUN_DIR);
    return 1;
  }
  if (!installReportBackend(display)) return 1;
  Services& s = services();
  ScriptedSystem system(s.system);
  ScriptedKeyboard keyboard;
  TimedGraphics graphics(s.graphics);
  s.system = &system;
  s.keyboard = &keyboard;
  s.graphics = &graphics;

  std::unique_ptr<BusyLoop> busyLoop;
  if (busy) busyLoop = std::make_unique<BusyLoop>();
  const double setUpStart = nowSeconds();
  if (!startUpGame()) {
    std::fputs("frame_report: the game could not start its device\n", stderr);
    return 1;
  }
  const double startUp = nowSeconds() - setUpStart;
  auto shutDown = [](int status) {
    releaseGraphicsDevice();
    uninstallReportBackend();
    return status;
  };
  // Another rasteriser (a GPU, llvmpipe of another width or version)
  // rounds differently: its pictures say nothing of this code's.
  if (checkFile && !picturesRenderer.empty() && rendererName() != picturesRenderer) {
    std::printf("frame_report: the pictures were drawn by %s, this device is %s: not compared\n",
                picturesRenderer.c_str(), rendererName().c_str());
    return shutDown(SKIPPED);
  }
  if (frameList || checkFile) return shutDown(runPictures(steps, system, keyboard, pictures));

  constexpr size_t PACED_FRAMES = 600;
  const Pacing pacing =
      mainLoopRunsToTheEnd() ? runPacing(system, keyboard, PACED_FRAMES) : Pacing{};
  constexpr int BASELINE_FRAMES = 600;
  // Half the baseline before the drive and half after, so that a machine
  // whose speed drifts during the run weighs on both alike.
  Timings baseline = runBaseline(BASELINE_FRAMES / 2);
  const Timings drive = runDrive(steps, system, keyboard, nullptr);
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
  std::printf("load average %.2f at the end, %s\n", loadAverage(),
              busy ? "beside a busy loop of its own" : "no busy loop of its own");
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
    std::printf(
        "a drive frame takes %.2f times a bare frame (medians); fps %.2f of clear and "
        "present's\n",
        percentile(drive.frameSeconds, 0.5) / baseMedian,
        drive.totalSeconds > 0 && baseline.totalSeconds > 0
            ? (static_cast<double>(drive.frameSeconds.size()) / drive.totalSeconds) /
                  (static_cast<double>(baseline.frameSeconds.size()) / baseline.totalSeconds)
            : 0.0);
  if (pacing.gaps == 0)
    std::printf("paced main loop: not measured here (the page's animation frames wake it)\n");
  else
    std::printf(
        "paced main loop, %zu title frames on the real clock, %s: %.3f ms apart on average "
        "(%.3f a second), standard deviation %.3f ms, shortest %.2f ms, longest %.2f ms\n",
        pacing.gaps,
        pacing.byPresents ? "presents waiting for the 60 Hz display" : "sleeping between frames",
        pacing.meanMs, pacing.meanMs > 0 ? 1000 / pacing.meanMs : 0.0, pacing.deviationMs,
        pacing.shortestMs, pacing.longestMs);
  std::printf(
      "start-up with the first scene set-up %.0f ms; scene set-up again (as after a "
      "device reset) %.0f ms\n",
      1000 * startUp, 1000 * reload);
  return shutDown(0);
}
