#include <algorithm>
#include <string>

#include "platform/null/null_backend.hpp"

namespace platform::null {

void CallLog::add(std::string name, std::string args) {
  calls_.push_back({std::move(name), std::move(args)});
}

std::vector<std::string> CallLog::names() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const Call& c : calls_) out.push_back(c.name);
  return out;
}

int CallLog::count(const std::string& name) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [&](const Call& c) { return c.name == name; }));
}

bool NullSystem::registerWindowClass(const char* className) {
  log.add("registerWindowClass", className);
  lastClassName = className;
  return !registerFails;
}

bool NullSystem::createMainWindow(const WindowDesc& desc) {
  log.add("createMainWindow", std::to_string(desc.x) + " " + std::to_string(desc.y) + " " +
                                  std::to_string(desc.width) + " " + std::to_string(desc.height) +
                                  " " + std::to_string(desc.style));
  lastDesc = desc;
  lastCaption = desc.caption ? desc.caption : "";
  if (createFails) return false;
  windowExists = true;
  return true;
}

void NullSystem::showMainWindow() {
  log.add("showMainWindow");
  windowShown = true;
}

void NullSystem::updateMainWindow() { log.add("updateMainWindow"); }

void NullSystem::releaseDue() {
  while (!scheduled.empty() && scheduled.front().atMs <= clockMs) {
    pending.push_back(std::move(scheduled.front().event));
    scheduled.pop_front();
  }
}

bool NullSystem::peekEvent(Event& out) {
  releaseDue();
  if (pending.empty()) return false;
  out = std::move(pending.front());
  pending.pop_front();
  return true;
}

bool NullSystem::waitForEventUs(uint32_t timeoutUs) {
  log.add("waitForEventUs", std::to_string(timeoutUs));
  releaseDue();
  if (!pending.empty()) return true;
  // The wait ends early when a scheduled event falls due inside it.
  const uint64_t deadline = timeUs() + timeoutUs;
  if (!scheduled.empty() && uint64_t{scheduled.front().atMs} * 1000 < deadline) {
    if (scheduled.front().atMs > clockMs) {
      clockMs = scheduled.front().atMs;
      clockUsPart = 0;
    }
    releaseDue();
    return true;
  }
  clockMs = static_cast<uint32_t>(deadline / 1000);
  clockUsPart = static_cast<uint32_t>(deadline % 1000);
  releaseDue();
  return !pending.empty();
}

void NullSystem::postQuit(int32_t exitCode) {
  log.add("postQuit", std::to_string(exitCode));
  Event e;
  e.type = EventType::Quit;
  e.exitCode = exitCode;
  pending.push_back(std::move(e));
}

bool NullSystem::isMainWindowActive() { return windowExists && active; }

void NullSystem::showCursor(bool visible) {
  log.add("showCursor", visible ? "1" : "0");
  cursorVisible = visible;
}

void NullSystem::keepDisplayOn(bool on) { log.add("keepDisplayOn", on ? "1" : "0"); }

Rect NullSystem::clientRect() {
  if (!windowExists) return {0, 0, 0, 0};
  return {0, 0, lastDesc.width, lastDesc.height};
}

void NullSystem::sleep(uint32_t ms) {
  log.add("sleep", std::to_string(ms));
  clockMs += ms;
}

uint64_t NullSystem::timeUs() { return uint64_t{clockMs} * 1000 + clockUsPart; }

uint32_t NullSystem::timeMs() {
  const uint32_t now = clockMs;
  clockMs += clockStepPerRead;
  return now;
}

void NullKeyboard::setCooperativeLevel() { log.add("setCooperativeLevel"); }

Result NullKeyboard::acquire() {
  log.add("acquire");
  return Result::Ok;
}

Result NullKeyboard::getState(uint8_t (&state)[KEY_STATE_SIZE]) {
  log.add("getState");
  std::copy(std::begin(keys), std::end(keys), std::begin(state));
  padLatches.resize(pads.size());
  for (size_t i = 0; i < pads.size(); ++i) mergePadReading(pads[i], padLatches[i], state);
  return Result::Ok;
}

void NullKeyboard::releaseAll() { std::fill(std::begin(keys), std::end(keys), uint8_t{0}); }

bool NullMusic::createGraph() {
  log.add("createGraph");
  if (graphFails) return false;
  state = MusicState::Stopped;
  return true;
}

Result NullMusic::renderFile(const char* path) {
  log.add("renderFile", path);
  file = path;
  return fileMissing ? Result::Failed : Result::Ok;
}

void NullMusic::placeVideo(const Rect& r) {
  log.add("placeVideo", std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                            std::to_string(r.right) + " " + std::to_string(r.bottom));
}

Result NullMusic::run() {
  log.add("run");
  if (state == MusicState::Stopped || state == MusicState::Paused) state = MusicState::Running;
  return state == MusicState::NotBuilt ? Result::Failed : Result::Ok;
}

Result NullMusic::pause() {
  log.add("pause");
  if (state == MusicState::Stopped || state == MusicState::Running) state = MusicState::Paused;
  return state == MusicState::NotBuilt ? Result::Failed : Result::Ok;
}

namespace {
std::unique_ptr<Backend>& current() {
  static std::unique_ptr<Backend> instance;
  return instance;
}
}  // namespace

Backend& install() {
  current() = std::make_unique<Backend>();
  Backend& b = *current();
  Services& s = services();
  s.system = &b.system;
  s.keyboard = &b.keyboard;
  s.graphics = &b.graphics;
  s.music = &b.music;
  return b;
}

Backend& backend() { return *current(); }

}  // namespace platform::null
