// The graphics system on SDL and OpenGL: display modes, format checks, and
// the one device with its context and window.
#include <SDL2/SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gl/gl_device.hpp"
#include "platform/sdl_gl/backend_parts.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/sdl_gl/sdl_surface.hpp"
#include "platform/sdl_gl/ttf_fonts.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

namespace {

using gl::GlDevice;

class GlGraphicsSystem : public GraphicsSystem {
 public:
  uint32_t adapterModeCount(Format format) override;
  Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) override;
  Result adapterDisplayMode(DisplayMode& out) override;
  Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool windowed) override;
  Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) override;
  Result getDeviceCaps() override;
  Device* createDevice(const PresentParams& params) override;
  void releaseDevice(Device* device) override;

  GlDevice* device() { return device_.get(); }

 private:
  bool probeContext(std::string& why);
  // Display modes with at least 24 bits of colour, in SDL's order.
  std::vector<SDL_DisplayMode> colourModes();

  SdlSurface surface_;
  TtfFonts fonts_;
  std::unique_ptr<GlDevice> device_;
  SDL_GLContext context_ = nullptr;
  int probeResult_ = -1;  // -1 not probed yet, 0 no, 1 yes
};

// SDL's refresh rate 0 is unknown, as ours is.
DisplayMode modeOf(const SDL_DisplayMode& m) {
  return {static_cast<uint32_t>(m.w), static_cast<uint32_t>(m.h),
          static_cast<uint32_t>(m.refresh_rate), Format::X8R8G8B8};
}

std::vector<SDL_DisplayMode> GlGraphicsSystem::colourModes() {
  std::vector<SDL_DisplayMode> modes;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
    // A driver that reports no pixel format (SDL's offscreen one) still
    // draws whatever the back buffer holds.
    if (m.format == SDL_PIXELFORMAT_UNKNOWN || SDL_BITSPERPIXEL(m.format) >= 24) modes.push_back(m);
  }
  return modes;
}

uint32_t GlGraphicsSystem::adapterModeCount(Format format) {
  if (format != Format::X8R8G8B8) return 0;
  return static_cast<uint32_t>(colourModes().size());
}

Result GlGraphicsSystem::enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) {
  if (format != Format::X8R8G8B8) return Result::Failed;
  const std::vector<SDL_DisplayMode> modes = colourModes();
  if (mode >= modes.size()) return Result::Failed;
  out = modeOf(modes[mode]);
  return Result::Ok;
}

Result GlGraphicsSystem::adapterDisplayMode(DisplayMode& out) {
  SDL_DisplayMode m{};
  if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDesktopDisplayMode(0, &m) != 0) return Result::Failed;
  out = modeOf(m);
  return Result::Ok;
}

Result GlGraphicsSystem::checkDeviceType(Format displayFormat, Format backBufferFormat,
                                         bool /*windowed*/) {
  if (displayFormat != Format::X8R8G8B8 || backBufferFormat != Format::X8R8G8B8)
    return Result::Failed;
  return colourModes().empty() ? Result::Failed : Result::Ok;
}

bool GlGraphicsSystem::probeContext(std::string& why) {
  setContextAttributes();
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    why = SDL_GetError();
    return false;
  }
  bool ok = false;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  keepLibrariesLoaded();
  if (!context) {
    why = SDL_GetError();
  } else if (SDL_GL_MakeCurrent(window, context) != 0) {
    why = SDL_GetError();
  } else if (epoxy_gl_version() < 33) {
    why = "the driver offers OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
          std::to_string(epoxy_gl_version() % 10);
  } else {
    GLuint fbo = 0, color = 0, depth = 0;
    ok = gl::makeFramebuffer(16, 16, fbo, color, depth);
    if (!ok) why = "the driver refuses a 24-bit depth, 8-bit stencil buffer";
    gl::deleteFramebuffer(fbo, color, depth);
  }
  if (context) SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  return ok;
}

Result GlGraphicsSystem::checkDepthStencilFormat(Format adapterFormat, Format depthFormat) {
  if (adapterFormat != Format::X8R8G8B8 || depthFormat != Format::D24S8) return Result::Failed;
  if (device_) return Result::Ok;
  if (probeResult_ < 0) {
    std::string why;
    probeResult_ = probeContext(why) ? 1 : 0;
    if (!probeResult_)
      std::fprintf(stderr,
                   "riderozad: no OpenGL 3.3 core context with a 24-bit depth and 8-bit stencil "
                   "buffer can be made: %s\n",
                   why.c_str());
  }
  return probeResult_ ? Result::Ok : Result::Failed;
}

Result GlGraphicsSystem::getDeviceCaps() {
  return SDL_WasInit(SDL_INIT_VIDEO) ? Result::Ok : Result::Failed;
}

Device* GlGraphicsSystem::createDevice(const PresentParams& params) {
  auto fail = [&](const std::string& why) -> Device* {
    std::fprintf(stderr, "riderozad: cannot create the OpenGL device: %s\n", why.c_str());
    if (device_) device_->destroy();
    device_.reset();
    if (context_) SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    closeDeviceWindow();
    return nullptr;
  };
  if (device_) {
    std::fprintf(stderr, "riderozad: cannot create a second OpenGL device\n");
    return nullptr;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return fail("SDL video is not running");
  std::string why;
  if (!gl::validParams(params, why)) return fail(why);
  setContextAttributes();
  SDL_Window* window =
      openDeviceWindow(params.windowed == 0, params.backBufferWidth, params.backBufferHeight);
  if (!window) return fail(std::string("no window: ") + SDL_GetError());
  context_ = SDL_GL_CreateContext(window);
  keepLibrariesLoaded();
  if (!context_) return fail(std::string("no OpenGL 3.3 core context: ") + SDL_GetError());
  if (SDL_GL_MakeCurrent(window, context_) != 0) return fail(SDL_GetError());
  if (epoxy_gl_version() < 33) return fail("the driver offers no OpenGL 3.3");
  surface_.setSwapInterval(params.presentationInterval);
  device_ = std::make_unique<GlDevice>(surface_, fonts_);
  device_->drawAtShownSize(windowRecord().options.sharp);
  if (!device_->init(params, why)) return fail(why);
  return device_.get();
}

void GlGraphicsSystem::releaseDevice(Device* device) {
  if (!device || device != device_.get()) return;
  device_->destroy();
  device_.reset();
  if (context_) SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  closeDeviceWindow();
}

GlGraphicsSystem& theGraphics() {
  static GlGraphicsSystem instance;
  return instance;
}

}  // namespace

GraphicsSystem* graphicsService() { return &theGraphics(); }

void shutDownGraphics() { theGraphics().releaseDevice(theGraphics().device()); }

bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  GlDevice* device = theGraphics().device();
  if (!device) return false;
  return device->readBack(rgba, width, height);
}

}  // namespace platform::sdl_gl
