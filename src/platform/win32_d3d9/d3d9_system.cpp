// The graphics system on Direct3D 9: the Direct3D object, the default
// adapter's checks, and the one full-screen device with the main window as
// its focus window. No D3DX: only d3d9.dll is needed.
#include <cstdio>
#include <memory>

#include "platform/win32_d3d9/backend_parts.hpp"
#include "platform/win32_d3d9/d3d9_device.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"

namespace platform::win32_d3d9 {

namespace {

constexpr UINT ADAPTER = D3DADAPTER_DEFAULT;

static_assert(static_cast<uint32_t>(Format::X8R8G8B8) == D3DFMT_X8R8G8B8);
static_assert(static_cast<uint32_t>(Format::D24S8) == D3DFMT_D24S8);

class D3d9GraphicsSystem : public GraphicsSystem {
 public:
  uint32_t adapterModeCount(Format format) override;
  Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) override;
  Result adapterDisplayMode(DisplayMode& out) override;
  Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool windowed) override;
  Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) override;
  Result getDeviceCaps() override;
  Device* createDevice(const PresentParams& params) override;
  void releaseDevice(Device* device) override;

  D3d9Device* device() { return device_.get(); }
  // The device, then the Direct3D object, as the game lets them go at exit.
  void shutDown();

 private:
  // The Direct3D object, made on first use; null when Direct3D 9 is missing.
  IDirect3D9* direct3d();

  IDirect3D9* direct3d_ = nullptr;
  bool createFailed_ = false;
  std::unique_ptr<D3d9Device> device_;
};

DisplayMode modeOf(const D3DDISPLAYMODE& m) {
  return {m.Width, m.Height, m.RefreshRate, static_cast<Format>(m.Format)};
}

IDirect3D9* D3d9GraphicsSystem::direct3d() {
  if (!direct3d_ && !createFailed_) {
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    createFailed_ = direct3d_ == nullptr;
    if (createFailed_)
      std::fprintf(stderr, "riderozad: Direct3D 9 is not available (Direct3DCreate9 failed)\n");
  }
  return direct3d_;
}

uint32_t D3d9GraphicsSystem::adapterModeCount(Format format) {
  IDirect3D9* d = direct3d();
  return d ? d->GetAdapterModeCount(ADAPTER, static_cast<D3DFORMAT>(format)) : 0;
}

Result D3d9GraphicsSystem::enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) {
  IDirect3D9* d = direct3d();
  if (!d) return Result::Failed;
  D3DDISPLAYMODE m{};
  const HRESULT hr = d->EnumAdapterModes(ADAPTER, static_cast<D3DFORMAT>(format), mode, &m);
  if (SUCCEEDED(hr)) out = modeOf(m);
  return resultOf(hr);
}

Result D3d9GraphicsSystem::adapterDisplayMode(DisplayMode& out) {
  IDirect3D9* d = direct3d();
  if (!d) return Result::Failed;
  D3DDISPLAYMODE m{};
  const HRESULT hr = d->GetAdapterDisplayMode(ADAPTER, &m);
  if (SUCCEEDED(hr)) out = modeOf(m);
  return resultOf(hr);
}

Result D3d9GraphicsSystem::checkDeviceType(Format displayFormat, Format backBufferFormat,
                                           bool windowed) {
  IDirect3D9* d = direct3d();
  if (!d) return Result::Failed;
  return resultOf(d->CheckDeviceType(ADAPTER, D3DDEVTYPE_HAL, static_cast<D3DFORMAT>(displayFormat),
                                     static_cast<D3DFORMAT>(backBufferFormat), windowed));
}

Result D3d9GraphicsSystem::checkDepthStencilFormat(Format adapterFormat, Format depthFormat) {
  IDirect3D9* d = direct3d();
  if (!d) return Result::Failed;
  return resultOf(d->CheckDeviceFormat(ADAPTER, D3DDEVTYPE_HAL,
                                       static_cast<D3DFORMAT>(adapterFormat), D3DUSAGE_DEPTHSTENCIL,
                                       D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(depthFormat)));
}

Result D3d9GraphicsSystem::getDeviceCaps() {
  IDirect3D9* d = direct3d();
  if (!d) return Result::Failed;
  D3DCAPS9 caps{};
  return resultOf(d->GetDeviceCaps(ADAPTER, D3DDEVTYPE_HAL, &caps));
}

Device* D3d9GraphicsSystem::createDevice(const PresentParams& params) {
  if (device_) {
    std::fprintf(stderr, "riderozad: cannot create a second Direct3D 9 device\n");
    return nullptr;
  }
  IDirect3D9* d = direct3d();
  if (!d) return nullptr;
  HWND focus = mainWindowHandle();
  if (!focus) {
    std::fprintf(stderr, "riderozad: cannot create the Direct3D 9 device: no main window\n");
    return nullptr;
  }
  D3DPRESENT_PARAMETERS present = presentParametersOf(params);
  const Shown shown = startingShown(displayOptions());
  shapeWindow(focus, shown, params.backBufferWidth, params.backBufferHeight);
  fitPresentParameters(shown, displayOptions(), focus, present);
  IDirect3DDevice9* created = nullptr;
  const HRESULT hr = d->CreateDevice(ADAPTER, D3DDEVTYPE_HAL, focus,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &created);
  if (FAILED(hr) || !created) {
    std::fprintf(stderr, "riderozad: cannot create the Direct3D 9 device: %ux%u %s (0x%08lx)%s\n",
                 params.backBufferWidth, params.backBufferHeight,
                 present.Windowed ? "windowed" : "full screen", static_cast<unsigned long>(hr),
                 hr == D3DERR_NOTAVAILABLE ? ": the display offers no such mode" : "");
    return nullptr;
  }
  device_ = std::make_unique<D3d9Device>(created, params, focus, shown, displayOptions());
  return device_.get();
}

void D3d9GraphicsSystem::releaseDevice(Device* device) {
  if (device && device == device_.get()) device_.reset();
}

void D3d9GraphicsSystem::shutDown() {
  device_.reset();
  if (direct3d_) direct3d_->Release();
  direct3d_ = nullptr;
  createFailed_ = false;
}

D3d9GraphicsSystem& theGraphics() {
  static D3d9GraphicsSystem instance;
  return instance;
}

}  // namespace

GraphicsSystem* graphicsService() { return &theGraphics(); }

void shutDownGraphics() { theGraphics().shutDown(); }

bool fullScreenDeviceUp() {
  D3d9Device* device = theGraphics().device();
  return device && device->fullScreen();
}

bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  D3d9Device* device = theGraphics().device();
  return device && device->readBack(rgba, width, height);
}

}  // namespace platform::win32_d3d9
