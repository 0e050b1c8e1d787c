// When the draws of a frame may be sent in another order than the game's.
//
// Between a clear of the whole depth buffer and the next thing that reads or
// blends the colour buffer (text, a clear, the end of the scene, a present,
// a read-back, a release), every draw of this device is opaque: depth test
// LEQUAL and depth writes on, no blending, no stencil. Each fragment it makes
// (coverage, depth, colour, whether the alpha test discards it) follows from
// its own captured state alone, never from what the buffers hold. In the
// game's order each pixel therefore ends as the kept fragment of least
// stored depth, the latest issued among equals, or as the clear where no
// fragment's depth reaches the cleared one. Another order ends the same:
//
// - the first draw sent (the pivot) may be any; after it, one at a time,
//   either the draw issued just before all those sent so far, or the one
//   issued just after them;
// - a draw issued after all those already sent goes as issued, LEQUAL:
//   everything in the depth buffer came before it, so it wins a tie, as it
//   did in the game's order;
// - a draw issued before all those already sent goes with its faces in
//   reverse order and LESS: everything in the buffer, its own faces sent so
//   far included, came after it and keeps a tie, as in the game's order.
//   The clear came before it, though, so such a draw must be unable to tie
//   with the clear: its whole bounding sphere lies nearer than the cleared
//   depth by DEPTH_MARGIN.
//
// So every tie (coplanar surfaces, equal depths after rounding, faces of one
// draw) goes the way it went in the game's order, whatever is in front; the
// alpha test's cut-outs write no depth in either order, so what lies behind
// them shows through the same. Within the rule the draws go nearest first:
// the pivot is the draw that reaches least deep (clip w of the farthest
// point of its sphere), and each next one the shallower of the two the rule
// allows. In the game that sends the wheel, the needle and the car body
// first, then the traffic and the track, and the sky last.
#include "platform/gl/gl_draw_queue.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gl {

namespace {

// A fragment's depth is interpolated in single precision and stored in 24
// bits: its error is a few units of 2^-24. A margin of 2^-18 covers that
// many times over, and still lets a sky 30,000 units away (near plane 0.5,
// far 100,000) count as nearer than a depth cleared to 1.
constexpr double DEPTH_MARGIN = 1.0 / (1 << 18);

}  // namespace

std::vector<uint32_t> withReversedCopy(const uint32_t* indices, uint32_t faces) {
  std::vector<uint32_t> out(indices, indices + size_t{faces} * 3);
  out.resize(out.size() * 2);
  for (size_t face = 0; face < faces; ++face)
    std::copy_n(indices + face * 3, 3, out.data() + (2 * size_t{faces} - 1 - face) * 3);
  return out;
}

void DrawQueue::open(float depth) {
  draws_.clear();
  clearDepth_ = depth;
  open_ = true;
}

void DrawQueue::close() {
  draws_.clear();
  open_ = false;
}

void DrawQueue::hold(HeldDraw draw, const float worldViewProj[16], const SubsetBounds& bounds) {
  // Depth is z / w, so it stays below d wherever z - d * w < 0 (w > 0; the
  // rest is clipped away). NaN from odd matrices fails both tests: such a
  // draw is never sent reversed, and sorts as it comes.
  const double k = clearDepth_ - DEPTH_MARGIN;
  draw.belowClear = sphereMax(worldViewProj, bounds, {0, 0, 1, -k}) < 0;
  draw.farthest = static_cast<float>(sphereMax(worldViewProj, bounds, {0, 0, 0, 1}));
  draws_.push_back(std::move(draw));
}

std::vector<Sending> DrawQueue::order() const {
  std::vector<Sending> out;
  const uint32_t count = static_cast<uint32_t>(draws_.size());
  if (count == 0) return out;
  // A draw wholly behind the eye (w < 0 all over) is clipped away: it hides
  // nothing, so it goes as soon as the rule lets it.
  auto depthOf = [&](uint32_t i) {
    const float far = draws_[i].farthest;
    return far > 0 ? far : -std::numeric_limits<float>::infinity();
  };
  // Every draw before the pivot goes reversed, so the pivot comes no later
  // than the first draw that may reach the clear's depth.
  uint32_t lastPivot = 0;
  while (lastPivot + 1 < count && draws_[lastPivot].belowClear) ++lastPivot;
  uint32_t pivot = 0;
  bool shown = false;  // the pivot is in front of the eye
  for (uint32_t i = 0; i <= lastPivot; ++i) {
    if (draws_[i].farthest > 0 && (!shown || draws_[i].farthest < draws_[pivot].farthest)) {
      pivot = i;
      shown = true;
    }
  }
  out.reserve(count);
  out.push_back({pivot, false});
  uint32_t before = pivot, after = pivot + 1;  // the next candidates: before - 1 and after
  while (before > 0 || after < count) {
    const bool back = before > 0 && (after == count || depthOf(before - 1) < depthOf(after));
    if (back)
      out.push_back({--before, true});
    else
      out.push_back({after++, false});
  }
  return out;
}

}  // namespace platform::gl
