// The null backend: no window, no GPU, no sound. Every call is recorded, the
// answers come from a script the test sets up, and the clock only moves when
// the test (or a sleep) moves it. Tests reach the backend's state directly.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/pad_mapping.hpp"
#include "platform/services.hpp"

namespace platform::null {

// One recorded call: its name and its arguments as text, e.g.
// {"setRenderState", "29 0"}.
struct Call {
  std::string name;
  std::string args;
};

class CallLog {
 public:
  void add(std::string name, std::string args = {});
  const std::vector<Call>& calls() const { return calls_; }
  // Names of the recorded calls in order, optionally only those with `name`.
  std::vector<std::string> names() const;
  int count(const std::string& name) const;
  void clear() { calls_.clear(); }

 private:
  std::vector<Call> calls_;
};

struct ScheduledEvent {
  uint32_t atMs;  // becomes pending once the clock reaches this time
  Event event;
};

class NullSystem : public System {
 public:
  bool registerWindowClass(const char* className) override;
  bool createMainWindow(const WindowDesc& desc) override;
  void showMainWindow() override;
  void updateMainWindow() override;
  bool peekEvent(Event& out) override;
  bool waitForEventUs(uint32_t timeoutUs) override;
  void postQuit(int32_t exitCode) override;
  bool isMainWindowActive() override;
  void showCursor(bool visible) override;
  void keepDisplayOn(bool on) override;
  Rect clientRect() override;
  void sleep(uint32_t ms) override;
  uint32_t timeMs() override;
  uint64_t timeUs() override;

  // Script and state, for tests.
  uint32_t clockMs = 0;
  uint32_t clockUsPart = 0;       // microseconds past clockMs (0..999) on the fine clock
  uint32_t clockStepPerRead = 0;  // added to the clock after every timeMs()
  std::deque<ScheduledEvent> scheduled;
  std::deque<Event> pending;
  bool registerFails = false;
  bool createFails = false;
  bool windowExists = false;
  bool windowShown = false;
  bool active = true;
  bool cursorVisible = true;
  WindowDesc lastDesc{};
  std::string lastClassName;
  std::string lastCaption;
  CallLog log;

  // Queues an event that is pending right away.
  void push(Event e) { pending.push_back(std::move(e)); }

 private:
  void releaseDue();
};

class NullKeyboard : public Keyboard {
 public:
  void setCooperativeLevel() override;
  Result acquire() override;
  Result getState(uint8_t (&state)[KEY_STATE_SIZE]) override;

  uint8_t keys[KEY_STATE_SIZE] = {};  // what the next getState reports
  void press(uint8_t code) { keys[code] = 0x80; }
  void release(uint8_t code) { keys[code] = 0; }
  void releaseAll();
  // Scripted pads, one reading each, merged over the keys the way every
  // backend merges its pads; a pad's stick latch follows it from frame to
  // frame.
  std::vector<PadReading> pads;
  std::vector<StickLatch> padLatches;
  CallLog log;
};

struct NullMesh {
  std::vector<MeshVertex> vertices;
  std::vector<uint32_t> indices;
  std::vector<SubsetRange> subsets;
};

struct NullTexture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

struct NullFont {
  int32_t height = 0;
  uint32_t weight = 0;
  std::string face;
};

class NullDevice : public Device {
 public:
  Result testCooperativeLevel() override;
  Result reset(const PresentParams& params) override;
  Result clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
  Result beginScene() override;
  Result endScene() override;
  Result present() override;
  Result setRenderState(RenderState state, uint32_t value) override;
  Result setTransform(TransformState state, const Matrix& m) override;
  Result getTransform(TransformState state, Matrix& out) override;
  Result setMaterial(const Material& material) override;
  Result setTexture(uint32_t stage, TextureHandle texture) override;
  Result setLight(uint32_t index, const Light& light) override;
  Result lightEnable(uint32_t index, bool enable) override;
  MeshHandle createMesh(const MeshUpload& mesh) override;
  Result drawSubset(MeshHandle mesh, uint32_t subset) override;
  void releaseMesh(MeshHandle mesh) override;
  TextureHandle createTexture(const Image& image) override;
  void releaseTexture(TextureHandle texture) override;
  FontHandle createFont(int32_t height, uint32_t weight, const char* face) override;
  int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                   uint32_t format, uint32_t argb) override;
  void releaseFont(FontHandle font) override;

  // Script: answers are taken from the front of each queue; an empty queue
  // answers Ok.
  std::deque<Result> presentResults;
  std::deque<Result> testResults;
  std::deque<Result> resetResults;

  // State as the device holds it.
  PresentParams params{};
  std::vector<PresentParams> resets;
  uint32_t renderStates[RENDER_STATE_LIMIT] = {};
  Matrix world{}, view{}, projection{};
  Material material{};
  TextureHandle texture = 0;
  std::map<uint32_t, Light> lights;
  std::map<uint32_t, bool> lightEnabled;
  std::map<MeshHandle, NullMesh> meshes;
  std::map<TextureHandle, NullTexture> textures;
  std::map<FontHandle, NullFont> fonts;
  bool inScene = false;
  uint32_t lastClearColor = 0;
  int presents = 0;
  CallLog log;

 private:
  uint32_t nextHandle_ = 1;
};

class NullGraphicsSystem : public GraphicsSystem {
 public:
  uint32_t adapterModeCount(Format format) override;
  Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) override;
  Result adapterDisplayMode(DisplayMode& out) override;
  Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool windowed) override;
  Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) override;
  Result getDeviceCaps() override;
  Device* createDevice(const PresentParams& params) override;
  void releaseDevice(Device* device) override;

  // Script.
  uint32_t modeCount = 1;
  uint32_t displayRefreshRate = 0;  // the current mode's; 0: unknown
  Result enumResult = Result::Ok;
  Result deviceTypeResult = Result::Ok;
  Result depthStencilResult = Result::Ok;
  Result capsResult = Result::Ok;
  bool createFails = false;

  std::unique_ptr<NullDevice> device;  // the device once created
  CallLog log;
};

enum class MusicState { NotBuilt, Stopped, Running, Paused, Ended };

class NullMusic : public Music {
 public:
  bool createGraph() override;
  Result renderFile(const char* path) override;
  void placeVideo(const Rect& clientArea) override;
  Result run() override;
  Result pause() override;

  // Script and state.
  bool graphFails = false;
  bool fileMissing = false;
  MusicState state = MusicState::NotBuilt;
  std::string file;
  // Marks the music as played through: from now on run() changes nothing.
  void finish() { state = MusicState::Ended; }
  CallLog log;
};

// The backend as one set, installed into platform::services().
struct Backend {
  NullSystem system;
  NullKeyboard keyboard;
  NullGraphicsSystem graphics;
  NullMusic music;
};

// Makes a fresh null backend and installs it; the previous one is dropped.
Backend& install();
// The installed null backend.
Backend& backend();

}  // namespace platform::null
