// The OpenGL entry points the shared device code calls: desktop OpenGL 3.3
// core through libepoxy, or OpenGL ES 3.0 (WebGL2) in the browser. Where the
// two differ the helpers below take the difference.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
#include <epoxy/gl.h>
#endif

namespace platform::gl {

// ES has only the float form; desktop 3.3 core has only the double one.
inline void clearDepth(float depth) {
#ifdef __EMSCRIPTEN__
  glClearDepthf(depth);
#else
  glClearDepth(depth);
#endif
}

// Clip depth 0..w, as the classic pipeline has it, where GL can take it
// (4.5 or ARB_clip_control); ES cannot, and the shader remaps depth there.
inline void setZeroToOneClipDepth() {
#ifndef __EMSCRIPTEN__
  glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
#endif
}

}  // namespace platform::gl
