#include "platform/sdl_gl/sdl_surface.hpp"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include "platform/graphics.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

const char* SdlSurface::shaderHead() const { return "#version 330 core\n"; }

bool SdlSurface::hasClipControl() const {
  return epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
}

bool SdlSurface::usable() { return windowVisible(); }

void SdlSurface::drawableSize(int32_t& width, int32_t& height) {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(windowRecord().window, &w, &h);
  width = w;
  height = h;
}

// Mesa rasterises a window's rows top first and a framebuffer object's
// bottom first, so edges and texel choices fall differently: drawn straight
// into the window, 8,684 pixels of the frame report's drive frame 31 changed.
// The picture stays as it was; the copy stays.
bool SdlSurface::drawsLikeFramebuffer() const { return false; }

void SdlSurface::swap() { SDL_GL_SwapWindow(windowRecord().window); }

void SdlSurface::setSwapInterval(uint32_t presentationInterval) {
  // A refused interval (as under a virtual X server) is no error: the game
  // sees that presents do not wait and paces its frames itself. Waiting
  // presents prefer letting a late frame through at once (-1) to holding
  // it back a whole refresh.
  if (presentationInterval == PRESENT_INTERVAL_IMMEDIATE) {
    SDL_GL_SetSwapInterval(0);
  } else if (SDL_GL_SetSwapInterval(-1) != 0) {
    SDL_GL_SetSwapInterval(1);
  }
}

void SdlSurface::pictureSizeChanged(uint32_t width, uint32_t height) {
  windowRecord().pictureWidth = width;
  windowRecord().pictureHeight = height;
}

void setContextAttributes() {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // Depth and stencil live in the back buffer object, not in the window.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

}  // namespace platform::sdl_gl
