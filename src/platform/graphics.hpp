// Graphics system and device service, shaped after the fixed-function device
// the game draws with. `GraphicsSystem` is the adapter side (mode list, format
// checks, device creation); `Device` is the one device everything is drawn
// through. Meshes, textures and fonts are handles owned by the device; 0 is
// "none" for each.
#pragma once

#include <cstdint>

#include "platform/types.hpp"

namespace platform {

enum class Format : uint32_t {
  Unknown = 0,
  X8R8G8B8 = 22,
  D24S8 = 75,
};

struct DisplayMode {
  uint32_t width;
  uint32_t height;
  uint32_t refreshRate;
  Format format;
};

constexpr uint32_t SWAP_EFFECT_DISCARD = 1;
constexpr uint32_t PRESENT_INTERVAL_ONE = 1;  // present waits for the display's refresh
constexpr uint32_t PRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

// Field order follows the classic present-parameters record.
struct PresentParams {
  uint32_t backBufferWidth;
  uint32_t backBufferHeight;
  Format backBufferFormat;
  uint32_t backBufferCount;
  uint32_t multiSampleType;
  uint32_t multiSampleQuality;
  uint32_t swapEffect;
  uintptr_t deviceWindow;
  int32_t windowed;
  int32_t enableAutoDepthStencil;
  Format autoDepthStencilFormat;
  uint32_t flags;
  uint32_t fullScreenRefreshRateInHz;
  uint32_t presentationInterval;
};

// Render states the game uses, with their classic numbers.
enum class RenderState : uint32_t {
  AlphaTestEnable = 15,
  AlphaRef = 24,
  AlphaFunc = 25,
  SpecularEnable = 29,
  Lighting = 137,
  DiffuseMaterialSource = 145,
  SpecularMaterialSource = 146,
};
constexpr int RENDER_STATE_LIMIT = 256;

enum CompareFunc : uint32_t {
  CMP_NEVER = 1,
  CMP_LESS = 2,
  CMP_EQUAL = 3,
  CMP_LESSEQUAL = 4,
  CMP_GREATER = 5,
  CMP_NOTEQUAL = 6,
  CMP_GREATEREQUAL = 7,
  CMP_ALWAYS = 8,
};

enum MaterialSource : uint32_t { MCS_MATERIAL = 0, MCS_COLOR1 = 1, MCS_COLOR2 = 2 };

enum class TransformState : uint32_t {
  View = 2,
  Projection = 3,
  World = 256,
};

constexpr uint32_t CLEAR_TARGET = 1;
constexpr uint32_t CLEAR_ZBUFFER = 2;
constexpr uint32_t CLEAR_STENCIL = 4;

constexpr uint32_t MAX_LIGHTS = 8;  // lights the device can keep enabled

using MeshHandle = uint32_t;
using TextureHandle = uint32_t;
using FontHandle = uint32_t;

struct MeshVertex {
  Vec3 position;
  Vec3 normal;
  Vec2 uv;
};

// Faces faceStart .. faceStart + faceCount - 1 of a mesh form one subset.
struct SubsetRange {
  uint32_t faceStart;
  uint32_t faceCount;
};

struct MeshUpload {
  const MeshVertex* vertices;
  uint32_t vertexCount;
  const uint32_t* indices;  // three per face
  uint32_t faceCount;
  const SubsetRange* subsets;  // indexed by attribute id
  uint32_t subsetCount;
};

// Top mip level, 32-bit texels as bytes r, g, b, a; power-of-two sides. The
// device makes the rest of the mip chain itself.
struct Image {
  uint32_t width;
  uint32_t height;
  const uint8_t* rgba;
};

constexpr uint32_t TEXT_LEFT_TOP = 0;

class Device {
 public:
  virtual ~Device() = default;

  virtual Result testCooperativeLevel() = 0;
  virtual Result reset(const PresentParams& params) = 0;

  virtual Result clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) = 0;
  virtual Result beginScene() = 0;
  virtual Result endScene() = 0;
  virtual Result present() = 0;

  virtual Result setRenderState(RenderState state, uint32_t value) = 0;
  virtual Result setTransform(TransformState state, const Matrix& m) = 0;
  virtual Result getTransform(TransformState state, Matrix& out) = 0;
  virtual Result setMaterial(const Material& material) = 0;
  virtual Result setTexture(uint32_t stage, TextureHandle texture) = 0;
  virtual Result setLight(uint32_t index, const Light& light) = 0;
  virtual Result lightEnable(uint32_t index, bool enable) = 0;

  virtual MeshHandle createMesh(const MeshUpload& mesh) = 0;
  virtual Result drawSubset(MeshHandle mesh, uint32_t subset) = 0;
  virtual void releaseMesh(MeshHandle mesh) = 0;

  virtual TextureHandle createTexture(const Image& image) = 0;
  virtual void releaseTexture(TextureHandle texture) = 0;

  // A font whose lines are `height` pixels high; `face` "" is the default face.
  virtual FontHandle createFont(int32_t height, uint32_t weight, const char* face) = 0;
  // Draws `count` characters of `text` into `rect`, with `format`
  // TEXT_LEFT_TOP aligning it to the left and top, in the ARGB colour.
  virtual int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                           uint32_t format, uint32_t argb) = 0;
  virtual void releaseFont(FontHandle font) = 0;
};

class GraphicsSystem {
 public:
  virtual ~GraphicsSystem() = default;

  virtual uint32_t adapterModeCount(Format format) = 0;
  virtual Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) = 0;
  // The mode the display runs in now; a refresh rate of 0 is unknown.
  virtual Result adapterDisplayMode(DisplayMode& out) = 0;
  virtual Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool windowed) = 0;
  virtual Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) = 0;
  virtual Result getDeviceCaps() = 0;
  // Creates the device with the main window as focus window. Null on failure.
  // The device belongs to the graphics system until `releaseDevice`.
  virtual Device* createDevice(const PresentParams& params) = 0;
  virtual void releaseDevice(Device* device) = 0;
};

}  // namespace platform
