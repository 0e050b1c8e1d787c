// The draws of a frame, held back after the depth buffer is cleared and sent
// nearest first where that provably leaves every pixel as the game's own
// order draws it (the rule is in gl_draw_queue.cpp). A software rasteriser
// then shades a hidden fragment less often: the depth test rejects it first.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gl/gl_api.hpp"
#include "platform/gl/gl_face_runs.hpp"
#include "platform/graphics.hpp"

namespace platform::gl {

// The faces' indices, then the same faces last to first: face f of the
// reversed copy is face faces - 1 - f.
std::vector<uint32_t> withReversedCopy(const uint32_t* indices, uint32_t faces);

// One draw as the game issued it, with everything it depends on captured:
// the device's uniform values (by index), program, texture and the faces
// that may be seen (gl_face_runs.hpp).
struct HeldDraw {
  uint32_t uniforms = 0;
  uint32_t variant = 0;
  GLuint texture = 0, vao = 0;
  std::vector<SubsetRange> faces;
  uint32_t meshFaces = 0;   // the mesh's faces: its reversed copy follows them
  float farthest = 0;       // clip w of its farthest point: how deep it reaches
  bool belowClear = false;  // none of its fragments can reach the cleared depth
};

// A held draw's turn: `reversed` sends its faces last to first with the
// depth test LESS instead of LEQUAL.
struct Sending {
  uint32_t draw;
  bool reversed;
};

class DrawQueue {
 public:
  // The whole depth buffer was just cleared to `depth`: draws are held from
  // now on, until close.
  void open(float depth);
  // Nothing more is held; the held draws are forgotten (sent or not).
  void close();
  bool holding() const { return open_; }
  // `worldViewProj` is the draw's matrix as its program gets it, row-major
  // for row vectors; `bounds` those of its subset.
  void hold(HeldDraw draw, const float worldViewProj[16], const SubsetBounds& bounds);
  const std::vector<HeldDraw>& draws() const { return draws_; }
  // The held draws in the order to send them, each once.
  std::vector<Sending> order() const;

 private:
  std::vector<HeldDraw> draws_;
  float clearDepth_ = 1;
  bool open_ = false;
};

}  // namespace platform::gl
