// The graphics system in the page: a WebGL2 context on the canvas, its loss
// and return, and the one device drawn through the shared GL code.
#include <emscripten/html5.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/gl/gl_device.hpp"
#include "platform/web_gl/backend_parts.hpp"
#include "platform/web_gl/page_state.hpp"
#include "platform/web_gl/stb_fonts.hpp"
#include "platform/web_gl/web_gl_backend.hpp"
#include "platform/web_gl/web_surface.hpp"

namespace platform::web_gl {

namespace {

constexpr const char* CANVAS = "#canvas";

// Asking for the page's default handling to be skipped is what lets the
// context come back.
EM_BOOL onContextLost(int, const void*, void*) {
  pageRecord().contextLost = true;
  std::fputs("riderozad: the WebGL context was lost\n", stderr);
  return EM_TRUE;
}

EM_BOOL onContextRestored(int, const void*, void*) {
  PageRecord& page = pageRecord();
  page.contextLost = false;
  ++page.contextGeneration;
  std::fputs("riderozad: the WebGL context is back\n", stderr);
  return EM_TRUE;
}

class WebGraphicsSystem : public GraphicsSystem {
 public:
  // The canvas shows whatever size it is given; the page scales it.
  uint32_t adapterModeCount(Format format) override { return format == Format::X8R8G8B8 ? 1 : 0; }
  Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) override;
  // The page cannot know the display's refresh rate: 0, unknown.
  Result adapterDisplayMode(DisplayMode& out) override {
    return enumAdapterMode(Format::X8R8G8B8, 0, out);
  }
  Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool) override {
    return displayFormat == Format::X8R8G8B8 && backBufferFormat == Format::X8R8G8B8
               ? Result::Ok
               : Result::Failed;
  }
  Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) override {
    return adapterFormat == Format::X8R8G8B8 && depthFormat == Format::D24S8 ? Result::Ok
                                                                             : Result::Failed;
  }
  Result getDeviceCaps() override { return Result::Ok; }
  Device* createDevice(const PresentParams& params) override;
  void releaseDevice(Device* device) override;

  gl::GlDevice* device() { return device_.get(); }

 private:
  WebSurface surface_;
  StbFonts fonts_;
  std::unique_ptr<gl::GlDevice> device_;
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
};

Result WebGraphicsSystem::enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) {
  if (format != Format::X8R8G8B8 || mode != 0) return Result::Failed;
  const double ratio = emscripten_get_device_pixel_ratio();
  const int width = EM_ASM_INT({ return screen.width; });
  const int height = EM_ASM_INT({ return screen.height; });
  out = {static_cast<uint32_t>(width * ratio), static_cast<uint32_t>(height * ratio), 0,
         Format::X8R8G8B8};
  return Result::Ok;
}

Device* WebGraphicsSystem::createDevice(const PresentParams& params) {
  auto fail = [&](const std::string& why) -> Device* {
    std::fprintf(stderr, "riderozad: cannot create the WebGL2 device: %s\n", why.c_str());
    if (device_) device_->destroy();
    device_.reset();
    if (context_ > 0) emscripten_webgl_destroy_context(context_);
    context_ = 0;
    return nullptr;
  };
  if (device_) {
    std::fputs("riderozad: cannot create a second WebGL2 device\n", stderr);
    return nullptr;
  }
  std::string why;
  if (!gl::validParams(params, why)) return fail(why);
  // The picture is drawn at the back buffer's size; the page scales the
  // canvas to fit. Sharp, the page gives the canvas the pixels it is shown
  // on, and the device draws at that size.
  if (!pageRecord().options.sharp)
    emscripten_set_canvas_element_size(CANVAS, static_cast<int>(params.backBufferWidth),
                                       static_cast<int>(params.backBufferHeight));
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  // Without multisampling the back buffer can be copied into the canvas.
  attributes.antialias = EM_FALSE;
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_TRUE;
  attributes.preserveDrawingBuffer = EM_FALSE;
  context_ = emscripten_webgl_create_context(CANVAS, &attributes);
  if (context_ <= 0) return fail("the browser offers no WebGL2 on this canvas");
  if (emscripten_webgl_make_context_current(context_) != EMSCRIPTEN_RESULT_SUCCESS)
    return fail("its context cannot be made current");
  surface_.contextMade();
  emscripten_set_webglcontextlost_callback(CANVAS, nullptr, EM_FALSE, onContextLost);
  emscripten_set_webglcontextrestored_callback(CANVAS, nullptr, EM_FALSE, onContextRestored);
  device_ = std::make_unique<gl::GlDevice>(surface_, fonts_);
  device_->drawAtShownSize(pageRecord().options.sharp);
  if (!device_->init(params, why)) return fail(why);
  surface_.pictureSizeChanged(params.backBufferWidth, params.backBufferHeight);
  return device_.get();
}

void WebGraphicsSystem::releaseDevice(Device* device) {
  if (!device || device != device_.get()) return;
  device_->destroy();
  device_.reset();
  if (context_ > 0) emscripten_webgl_destroy_context(context_);
  context_ = 0;
  surface_.pictureSizeChanged(0, 0);
}

WebGraphicsSystem& theGraphics() {
  static WebGraphicsSystem instance;
  return instance;
}

}  // namespace

GraphicsSystem* graphicsService() { return &theGraphics(); }

void shutDownGraphics() { theGraphics().releaseDevice(theGraphics().device()); }

bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  gl::GlDevice* device = theGraphics().device();
  if (!device) return false;
  return device->readBack(rgba, width, height);
}

}  // namespace platform::web_gl
