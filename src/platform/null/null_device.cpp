#include <cstdio>
#include <string>

#include "platform/null/null_backend.hpp"

namespace platform::null {

namespace {

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

Result takeFront(std::deque<Result>& queue) {
  if (queue.empty()) return Result::Ok;
  Result r = queue.front();
  queue.pop_front();
  return r;
}

}  // namespace

Result NullDevice::testCooperativeLevel() {
  log.add("testCooperativeLevel");
  return takeFront(testResults);
}

Result NullDevice::reset(const PresentParams& p) {
  log.add("reset");
  resets.push_back(p);
  Result r = takeFront(resetResults);
  if (succeeded(r)) params = p;
  return r;
}

Result NullDevice::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
  log.add("clear", std::to_string(flags) + " " + hex(argb) + " " + std::to_string(z) + " " +
                       std::to_string(stencil));
  lastClearColor = argb;
  return Result::Ok;
}

Result NullDevice::beginScene() {
  log.add("beginScene");
  inScene = true;
  return Result::Ok;
}

Result NullDevice::endScene() {
  log.add("endScene");
  inScene = false;
  return Result::Ok;
}

Result NullDevice::present() {
  log.add("present");
  ++presents;
  return takeFront(presentResults);
}

Result NullDevice::setRenderState(RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  log.add("setRenderState", std::to_string(s) + " " + std::to_string(value));
  if (s < RENDER_STATE_LIMIT) renderStates[s] = value;
  return Result::Ok;
}

Result NullDevice::setTransform(TransformState state, const Matrix& m) {
  log.add("setTransform", std::to_string(static_cast<uint32_t>(state)));
  switch (state) {
    case TransformState::World:
      world = m;
      break;
    case TransformState::View:
      view = m;
      break;
    case TransformState::Projection:
      projection = m;
      break;
  }
  return Result::Ok;
}

Result NullDevice::getTransform(TransformState state, Matrix& out) {
  log.add("getTransform", std::to_string(static_cast<uint32_t>(state)));
  switch (state) {
    case TransformState::World:
      out = world;
      break;
    case TransformState::View:
      out = view;
      break;
    case TransformState::Projection:
      out = projection;
      break;
  }
  return Result::Ok;
}

Result NullDevice::setMaterial(const Material& m) {
  log.add("setMaterial");
  material = m;
  return Result::Ok;
}

Result NullDevice::setTexture(uint32_t stage, TextureHandle t) {
  log.add("setTexture", std::to_string(stage) + " " + std::to_string(t));
  if (stage == 0) texture = t;
  return Result::Ok;
}

Result NullDevice::setLight(uint32_t index, const Light& light) {
  log.add("setLight", std::to_string(index));
  lights[index] = light;
  return Result::Ok;
}

Result NullDevice::lightEnable(uint32_t index, bool enable) {
  log.add("lightEnable", std::to_string(index) + (enable ? " 1" : " 0"));
  lightEnabled[index] = enable;
  return Result::Ok;
}

MeshHandle NullDevice::createMesh(const MeshUpload& m) {
  const MeshHandle h = nextHandle_++;
  log.add("createMesh", std::to_string(h));
  NullMesh& mesh = meshes[h];
  mesh.vertices.assign(m.vertices, m.vertices + m.vertexCount);
  mesh.indices.assign(m.indices, m.indices + size_t{m.faceCount} * 3);
  mesh.subsets.assign(m.subsets, m.subsets + m.subsetCount);
  return h;
}

Result NullDevice::drawSubset(MeshHandle mesh, uint32_t subset) {
  log.add("drawSubset", std::to_string(mesh) + " " + std::to_string(subset));
  return meshes.count(mesh) ? Result::Ok : Result::Failed;
}

void NullDevice::releaseMesh(MeshHandle mesh) {
  log.add("releaseMesh", std::to_string(mesh));
  meshes.erase(mesh);
}

TextureHandle NullDevice::createTexture(const Image& image) {
  const TextureHandle h = nextHandle_++;
  log.add("createTexture", std::to_string(h));
  NullTexture& t = textures[h];
  t.width = image.width;
  t.height = image.height;
  t.rgba.assign(image.rgba, image.rgba + size_t{image.width} * image.height * 4);
  return h;
}

void NullDevice::releaseTexture(TextureHandle texture) {
  log.add("releaseTexture", std::to_string(texture));
  textures.erase(texture);
}

FontHandle NullDevice::createFont(int32_t height, uint32_t weight, const char* face) {
  const FontHandle h = nextHandle_++;
  log.add("createFont", std::to_string(h) + " " + std::to_string(height));
  fonts[h] = {height, weight, face ? face : ""};
  return h;
}

int32_t NullDevice::drawText(FontHandle font, const char* text, int32_t count, const Rect& r,
                             uint32_t format, uint32_t argb) {
  log.add("drawText", std::to_string(font) + " " + std::string(text, count > 0 ? count : 0) + "|" +
                          std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                          std::to_string(r.right) + " " + std::to_string(r.bottom) + " " +
                          std::to_string(format) + " " + hex(argb));
  return fonts.count(font) ? r.bottom - r.top : 0;
}

void NullDevice::releaseFont(FontHandle font) {
  log.add("releaseFont", std::to_string(font));
  fonts.erase(font);
}

uint32_t NullGraphicsSystem::adapterModeCount(Format format) {
  log.add("adapterModeCount", std::to_string(static_cast<uint32_t>(format)));
  return modeCount;
}

Result NullGraphicsSystem::enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) {
  log.add("enumAdapterMode",
          std::to_string(static_cast<uint32_t>(format)) + " " + std::to_string(mode));
  if (!succeeded(enumResult) || mode >= modeCount) return Result::Failed;
  out = {1024, 768, 60, format};
  return Result::Ok;
}

Result NullGraphicsSystem::adapterDisplayMode(DisplayMode& out) {
  log.add("adapterDisplayMode");
  out = {1024, 768, displayRefreshRate, Format::X8R8G8B8};
  return Result::Ok;
}

Result NullGraphicsSystem::checkDeviceType(Format display, Format backBuffer, bool windowed) {
  log.add("checkDeviceType", std::to_string(static_cast<uint32_t>(display)) + " " +
                                 std::to_string(static_cast<uint32_t>(backBuffer)) +
                                 (windowed ? " 1" : " 0"));
  return deviceTypeResult;
}

Result NullGraphicsSystem::checkDepthStencilFormat(Format adapter, Format depth) {
  log.add("checkDepthStencilFormat", std::to_string(static_cast<uint32_t>(adapter)) + " " +
                                         std::to_string(static_cast<uint32_t>(depth)));
  return depthStencilResult;
}

Result NullGraphicsSystem::getDeviceCaps() {
  log.add("getDeviceCaps");
  return capsResult;
}

Device* NullGraphicsSystem::createDevice(const PresentParams& params) {
  log.add("createDevice");
  if (createFails) return nullptr;
  device = std::make_unique<NullDevice>();
  device->params = params;
  return device.get();
}

void NullGraphicsSystem::releaseDevice(Device* d) {
  log.add("releaseDevice");
  if (d == device.get()) device.reset();
}

}  // namespace platform::null
