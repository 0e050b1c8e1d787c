// The device's life and states: loss and reset, clear and the scene, present,
// and the fixed-function states, transforms, material and lights, passed to
// Direct3D as they come.
#include "platform/win32_d3d9/d3d9_device.hpp"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace platform::win32_d3d9 {

namespace {

constexpr uint32_t TEXTURE_STAGES = 8;

static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "a matrix is 16 floats on both sides");
static_assert(static_cast<uint32_t>(TransformState::World) == D3DTS_WORLD);
static_assert(static_cast<uint32_t>(TransformState::View) == D3DTS_VIEW);
static_assert(static_cast<uint32_t>(TransformState::Projection) == D3DTS_PROJECTION);
static_assert(CLEAR_TARGET == D3DCLEAR_TARGET && CLEAR_ZBUFFER == D3DCLEAR_ZBUFFER);

D3DCOLORVALUE colourOf(const ColorValue& c) { return {c.r, c.g, c.b, c.a}; }

D3DVECTOR vectorOf(const Vec3& v) { return {v.x, v.y, v.z}; }

// The latest value of each key, in the order first set.
template <class Key, class Value>
void keep(std::vector<std::pair<Key, Value>>& kept, Key key, const Value& value) {
  for (auto& [k, v] : kept) {
    if (k == key) {
      v = value;
      return;
    }
  }
  kept.emplace_back(key, value);
}

bool validTransform(TransformState state) {
  return state == TransformState::World || state == TransformState::View ||
         state == TransformState::Projection;
}

}  // namespace

Result resultOf(HRESULT hr) {
  if (SUCCEEDED(hr)) return Result::Ok;
  if (hr == D3DERR_DEVICELOST) return Result::DeviceLost;
  if (hr == D3DERR_DEVICENOTRESET) return Result::DeviceNotReset;
  return Result::Failed;
}

D3DPRESENT_PARAMETERS presentParametersOf(const PresentParams& p) {
  D3DPRESENT_PARAMETERS d{};
  d.BackBufferWidth = p.backBufferWidth;
  d.BackBufferHeight = p.backBufferHeight;
  d.BackBufferFormat = static_cast<D3DFORMAT>(p.backBufferFormat);
  d.BackBufferCount = p.backBufferCount;
  d.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(p.multiSampleType);
  d.MultiSampleQuality = p.multiSampleQuality;
  d.SwapEffect = static_cast<D3DSWAPEFFECT>(p.swapEffect);
  d.hDeviceWindow = reinterpret_cast<HWND>(p.deviceWindow);
  d.Windowed = p.windowed;
  d.EnableAutoDepthStencil = p.enableAutoDepthStencil;
  d.AutoDepthStencilFormat = static_cast<D3DFORMAT>(p.autoDepthStencilFormat);
  d.Flags = p.flags;
  d.FullScreen_RefreshRateInHz = p.fullScreenRefreshRateInHz;
  d.PresentationInterval = p.presentationInterval;
  return d;
}

D3d9Device::D3d9Device(IDirect3DDevice9* device, const PresentParams& params, HWND window,
                       Shown shown, const DisplayOptions& options)
    : device_(device), params_(params), window_(window), shown_(shown), options_(options) {
  const D3DPRESENT_PARAMETERS made = parametersFor(shown_);
  backBufferWidth_ = made.BackBufferWidth;
  backBufferHeight_ = made.BackBufferHeight;
  text_.setScale(static_cast<float>(backBufferHeight_) /
                 static_cast<float>(params_.backBufferHeight));
  if (FAILED(device_->GetDeviceCaps(&caps_))) caps_ = D3DCAPS9{};
}

D3d9Device::~D3d9Device() {
  text_.destroy();
  for (D3d9Mesh& m : meshes_) {
    if (m.vertices) m.vertices->Release();
    if (m.indices) m.indices->Release();
  }
  for (IDirect3DTexture9* t : textures_)
    if (t) t->Release();
  device_->Release();
}

bool D3d9Device::fullScreen() {
  IDirect3DSwapChain9* chain = nullptr;
  if (FAILED(device_->GetSwapChain(0, &chain))) return false;
  D3DPRESENT_PARAMETERS p{};
  const bool known = SUCCEEDED(chain->GetPresentParameters(&p));
  chain->Release();
  return known && !p.Windowed;
}

Result D3d9Device::testCooperativeLevel() { return resultOf(device_->TestCooperativeLevel()); }

Result D3d9Device::reset(const PresentParams& params) {
  // Everything the device holds lives in the managed pool and comes back by
  // itself; nothing in the default pool has to be let go first.
  params_ = params;
  D3DPRESENT_PARAMETERS d = parametersFor(shown_);
  const HRESULT hr = device_->Reset(&d);
  kept_ = KeptStates{};
  if (SUCCEEDED(hr)) {
    backBufferWidth_ = d.BackBufferWidth;
    backBufferHeight_ = d.BackBufferHeight;
    text_.setScale(static_cast<float>(backBufferHeight_) /
                   static_cast<float>(params_.backBufferHeight));
  }
  if (FAILED(hr) && hr != D3DERR_DEVICELOST)
    std::fprintf(stderr, "riderozad: device reset failed (0x%08lx)\n",
                 static_cast<unsigned long>(hr));
  inScene_ = false;
  return resultOf(hr);
}

Result D3d9Device::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
  if ((flags & (CLEAR_TARGET | CLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return Result::Ok;
  return resultOf(device_->Clear(0, nullptr, flags, argb, std::clamp(z, 0.0f, 1.0f), stencil));
}

Result D3d9Device::beginScene() {
  if (inScene_) return Result::Failed;
  const Result r = resultOf(device_->BeginScene());
  inScene_ = r == Result::Ok;
  return r;
}

Result D3d9Device::endScene() {
  if (!inScene_) return Result::Failed;
  inScene_ = false;
  return resultOf(device_->EndScene());
}

Result D3d9Device::setRenderState(RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  if (s >= RENDER_STATE_LIMIT) return Result::Failed;
  const auto type = static_cast<D3DRENDERSTATETYPE>(s);
  const HRESULT hr = device_->SetRenderState(type, value);
  if (SUCCEEDED(hr)) keep(kept_.renderStates, type, DWORD{value});
  return resultOf(hr);
}

Result D3d9Device::setTransform(TransformState state, const Matrix& m) {
  if (!validTransform(state)) return Result::Failed;
  D3DMATRIX d;
  std::memcpy(&d, &m, sizeof d);
  const auto type = static_cast<D3DTRANSFORMSTATETYPE>(state);
  const HRESULT hr = device_->SetTransform(type, &d);
  if (SUCCEEDED(hr)) keep(kept_.transforms, type, d);
  return resultOf(hr);
}

Result D3d9Device::getTransform(TransformState state, Matrix& out) {
  if (!validTransform(state)) return Result::Failed;
  D3DMATRIX d;
  const HRESULT hr = device_->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &d);
  if (SUCCEEDED(hr)) std::memcpy(&out, &d, sizeof out);
  return resultOf(hr);
}

Result D3d9Device::setMaterial(const Material& material) {
  D3DMATERIAL9 d{};
  d.Diffuse = colourOf(material.diffuse);
  d.Ambient = colourOf(material.ambient);
  d.Specular = colourOf(material.specular);
  d.Emissive = colourOf(material.emissive);
  d.Power = material.power;
  const HRESULT hr = device_->SetMaterial(&d);
  if (SUCCEEDED(hr)) {
    kept_.material = d;
    kept_.materialSet = true;
  }
  return resultOf(hr);
}

Result D3d9Device::setTexture(uint32_t stage, TextureHandle texture) {
  if (stage >= TEXTURE_STAGES) return Result::Failed;
  IDirect3DTexture9* t = textureOf(texture);
  if (texture != 0 && !t) return Result::Failed;
  const HRESULT hr = device_->SetTexture(stage, t);
  if (SUCCEEDED(hr)) kept_.textures[stage] = texture;
  return resultOf(hr);
}

Result D3d9Device::setLight(uint32_t index, const Light& light) {
  if (index >= MAX_LIGHTS) return Result::Failed;
  if (light.type != LightType::Directional && light.type != LightType::Point &&
      light.type != LightType::Spot)
    return Result::Failed;
  // A light that shines nowhere is refused and the previous record stays,
  // whether or not this runtime would check it itself.
  const Vec3& dir = light.direction;
  if (light.type != LightType::Point && dir.x == 0 && dir.y == 0 && dir.z == 0)
    return Result::Failed;
  D3DLIGHT9 d{};
  d.Type = static_cast<D3DLIGHTTYPE>(light.type);
  d.Diffuse = colourOf(light.diffuse);
  d.Specular = colourOf(light.specular);
  d.Ambient = colourOf(light.ambient);
  d.Position = vectorOf(light.position);
  d.Direction = vectorOf(light.direction);
  d.Range = light.range;
  d.Falloff = light.falloff;
  d.Attenuation0 = light.attenuation0;
  d.Attenuation1 = light.attenuation1;
  d.Attenuation2 = light.attenuation2;
  d.Theta = light.theta;
  d.Phi = light.phi;
  const HRESULT hr = device_->SetLight(index, &d);
  if (SUCCEEDED(hr)) {
    kept_.lights[index] = d;
    kept_.lightSet[index] = true;
  }
  return resultOf(hr);
}

Result D3d9Device::lightEnable(uint32_t index, bool enable) {
  if (index >= MAX_LIGHTS) return Result::Failed;
  const HRESULT hr = device_->LightEnable(index, enable ? TRUE : FALSE);
  if (SUCCEEDED(hr)) kept_.lightOn[index] = enable;
  return resultOf(hr);
}

FontHandle D3d9Device::createFont(int32_t height, uint32_t weight, const char* face) {
  return text_.createFont(height, weight, face);
}

int32_t D3d9Device::drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                             uint32_t /*format: always left and top*/, uint32_t argb) {
  if (!inScene_) return 0;
  D3DVIEWPORT9 view{};
  device_->GetViewport(&view);
  // The game's rectangle in the back buffer's pixels (they differ with
  // --sharp), and the height drawn back in the game's.
  const auto scale = [](int32_t v, uint32_t to, uint32_t from) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{v} * to / std::max(from, 1u), INT32_MIN, INT32_MAX));
  };
  const Rect scaled{scale(rect.left, backBufferWidth_, params_.backBufferWidth),
                    scale(rect.top, backBufferHeight_, params_.backBufferHeight),
                    scale(rect.right, backBufferWidth_, params_.backBufferWidth),
                    scale(rect.bottom, backBufferHeight_, params_.backBufferHeight)};
  const int32_t drawn =
      text_.drawText(device_, font, text, count, scaled, argb, static_cast<int32_t>(view.Width),
                     static_cast<int32_t>(view.Height));
  return scale(drawn, params_.backBufferHeight, backBufferHeight_);
}

void D3d9Device::releaseFont(FontHandle font) { text_.releaseFont(font); }

}  // namespace platform::win32_d3d9
