// Where the drawable is exactly the back buffer and draws like it, the
// device draws straight into it and a present only shows it: checked with a
// second device over the test window that says so of itself.
#include <string>

#include "gl_test_support.hpp"
#include "platform/gl/gl_device.hpp"
#include "platform/sdl_gl/sdl_surface.hpp"
#include "platform/sdl_gl/ttf_fonts.hpp"

namespace rztest {
namespace {

class StraightSurface : public sdl_gl::SdlSurface {
 public:
  bool drawsLikeFramebuffer() const override { return true; }
};

// Pixel (x, y) of the drawable itself, y from the top.
std::array<int, 4> drawablePixel(int x, int y) {
  uint8_t p[4] = {};
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(x, 767 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

using StraightDraw = DeviceTest;

TEST_F(StraightDraw, IntoADrawableOfTheBackBuffersSize) {
  StraightSurface surface;
  sdl_gl::TtfFonts fonts;
  gl::GlDevice straight(surface, fonts);
  std::string error;
  ASSERT_TRUE(straight.init(gameParams(), error)) << error;
  // The top left quarter of the screen, green.
  const MeshVertex v[4] = {{{-1, 0, 0.5f}, {0, 0, -1}, {0, 0}},
                           {{-1, 1, 0.5f}, {0, 0, -1}, {0, 0}},
                           {{0, 1, 0.5f}, {0, 0, -1}, {0, 0}},
                           {{0, 0, 0.5f}, {0, 0, -1}, {0, 0}}};
  const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
  const SubsetRange all{0, 2};
  const MeshHandle quad = straight.createMesh({v, 4, idx, 2, &all, 1});
  Material green{};
  green.emissive = {0, 1, 0, 1};
  for (uint32_t frame = 0; frame < 2; ++frame) {
    straight.clear(CLEAR_TARGET | CLEAR_ZBUFFER, frame == 0 ? 0xFF0000FF : 0xFFFF0000, 1, 0);
    straight.beginScene();
    straight.setMaterial(green);
    EXPECT_EQ(straight.drawSubset(quad, 0), Result::Ok);
    straight.endScene();
    // In the drawable before the present, upright.
    EXPECT_RGB_NEAR(drawablePixel(100, 100), 0, 255, 0, 0);
    EXPECT_RGB_NEAR(drawablePixel(900, 600), frame == 0 ? 0 : 255, 0, frame == 0 ? 255 : 0, 0);
    EXPECT_EQ(straight.present(), Result::Ok);
    // Nothing is copied over it (the offscreen drawable keeps its pixels
    // through a present).
    EXPECT_RGB_NEAR(drawablePixel(100, 100), 0, 255, 0, 0);
  }
  straight.destroy();
}

}  // namespace
}  // namespace rztest
