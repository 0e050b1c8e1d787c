// The Direct3D 9 device behind the game's Device interface. Render states,
// transforms, materials, lights and texture stage 0 go straight to the real
// fixed-function pipeline; meshes and textures live in the managed pool, so
// they survive a reset without being made again.
#pragma once

#include <d3d9.h>

#include <utility>
#include <vector>

#include "platform/display_options.hpp"
#include "platform/graphics.hpp"
#include "platform/handle_slots.hpp"
#include "platform/win32_d3d9/d3d9_display.hpp"
#include "platform/win32_d3d9/d3d9_text.hpp"

namespace platform::win32_d3d9 {

// The game's result for a Direct3D one: lost and not-reset keep their
// meaning, every other failure is Failed.
Result resultOf(HRESULT hr);

struct D3d9Mesh {
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  uint32_t vertexCount = 0;
  std::vector<SubsetRange> subsets;
  explicit operator bool() const { return vertices != nullptr; }  // false: a free slot
};

// What the game has set on the device, to set again after a reset of the
// backend's own (Alt+Enter), which puts every state back to its default.
// The game's own reset starts from the defaults, as it expects.
struct KeptStates {
  std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> renderStates;
  std::vector<std::pair<D3DTRANSFORMSTATETYPE, D3DMATRIX>> transforms;
  D3DMATERIAL9 material{};
  bool materialSet = false;
  D3DLIGHT9 lights[MAX_LIGHTS]{};
  bool lightSet[MAX_LIGHTS] = {};
  bool lightOn[MAX_LIGHTS] = {};
  TextureHandle textures[8] = {};
};

class D3d9Device : public Device {
 public:
  // Takes over the reference to `device`, made with `params` (the game's)
  // for `window`, shown as `shown`; the options say where Alt+Enter goes.
  D3d9Device(IDirect3DDevice9* device, const PresentParams& params, HWND window, Shown shown,
             const DisplayOptions& options);
  ~D3d9Device() override;
  D3d9Device(const D3d9Device&) = delete;
  D3d9Device& operator=(const D3d9Device&) = delete;

  // The back buffer as rows of r, g, b, a bytes, top row first.
  bool readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);
  // Whether it was made, or last reset, full screen.
  bool fullScreen();

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

 private:
  D3d9Mesh* meshOf(MeshHandle mesh);
  IDirect3DTexture9* textureOf(TextureHandle texture) const;
  // Alt+Enter: to the window or back to full screen, through the device's
  // own reset when the device changes between windowed and exclusive.
  void switchShown();
  void restoreStates();
  // The present parameters for a way of showing, from the game's.
  D3DPRESENT_PARAMETERS parametersFor(Shown shown);
  // A reset of the backend's own, with what the game set set again; false,
  // said on standard error, when it fails.
  bool resetOwn(D3DPRESENT_PARAMETERS d, const char* what);

  IDirect3DDevice9* device_;
  PresentParams params_;
  HWND window_;
  Shown shown_;
  DisplayOptions options_;
  KeptStates kept_;
  // The back buffer's size: the game's, or with --sharp in a window the
  // picture's place there.
  UINT backBufferWidth_ = 0, backBufferHeight_ = 0;
  D3DCAPS9 caps_{};
  std::vector<D3d9Mesh> meshes_;              // handle = index + 1
  std::vector<IDirect3DTexture9*> textures_;  // handle = index + 1; null marks a free entry
  D3d9Text text_;
  bool inScene_ = false;
};

// Direct3D's present parameters from the game's, field by field.
D3DPRESENT_PARAMETERS presentParametersOf(const PresentParams& p);

// Alt+Enter was pressed: the device switches after its next present.
void askDisplaySwitch();

}  // namespace platform::win32_d3d9
