// The back buffer read back for tests and tools, through a system-memory
// copy that lives only for the call, so nothing is left in the default pool
// when the device is reset.
#include "platform/win32_d3d9/d3d9_device.hpp"

namespace platform::win32_d3d9 {

bool D3d9Device::readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  IDirect3DSurface9* copy = nullptr;
  bool ok = (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) &&
            SUCCEEDED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                           D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
            SUCCEEDED(device_->GetRenderTargetData(back, copy));
  D3DLOCKED_RECT locked{};
  if (ok) ok = SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (ok) {
    width = desc.Width;
    height = desc.Height;
    rgba.resize(size_t{width} * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch;
      uint8_t* to = rgba.data() + size_t{y} * width * 4;
      for (uint32_t x = 0; x < width; ++x) {
        to[x * 4 + 0] = row[x * 4 + 2];
        to[x * 4 + 1] = row[x * 4 + 1];
        to[x * 4 + 2] = row[x * 4 + 0];
        // The back buffer has no alpha: it reads as opaque.
        to[x * 4 + 3] = 255;
      }
    }
    copy->UnlockRect();
  }
  if (copy) copy->Release();
  back->Release();
  return ok;
}

}  // namespace platform::win32_d3d9
