// The platform's device with the wall time of every call counted, for the frame
// report; present waits for the picture to be finished.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/graphics.hpp"
#include "platform/services.hpp"
#include "report_backend.hpp"

namespace frame_report {

using namespace platform;

inline double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Seconds spent inside device calls, from the game and the baseline alike.
inline double deviceSeconds = 0;
// While set, the fine clock's reading at each frame's clear: its start.
inline std::vector<uint64_t>* frameStarts = nullptr;

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
    if (frameStarts) frameStarts->push_back(sys().timeUs());
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
  Result adapterDisplayMode(DisplayMode& out) override { return inner_->adapterDisplayMode(out); }
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

}  // namespace frame_report
