// The device sends a frame's draws nearest first (gl_draw_queue.cpp): every
// pixel must come out as in the order the draws were issued, ties in depth,
// cut-outs and text between the draws included.
#include <array>
#include <initializer_list>

#include "gl_test_support.hpp"
#include "platform/gl/gl_device.hpp"

namespace rztest {
namespace {

constexpr float NEAR = 1, FAR = 1000;

// Left-handed perspective, 90 degrees each way: view (x, y, z) reaches the
// screen at (x / z, y / z), depth far / (far - near) * (1 - near / z).
Matrix perspective() {
  Matrix m{};
  m.m[0][0] = m.m[1][1] = 1;
  m.m[2][2] = FAR / (FAR - NEAR);
  m.m[2][3] = 1;
  m.m[3][2] = -NEAR * FAR / (FAR - NEAR);
  return m;
}

Material emissive(float r, float g, float b) {
  Material m{};
  m.diffuse = {0, 0, 0, 1};
  m.emissive = {r, g, b, 1};
  return m;
}

// x0, y0, x1, y1 on the screen, -1..1 with y up.
using Area = std::array<float, 4>;

class DrawOrder : public DeviceTest {
 protected:
  // Rectangles that cover these areas from view depth z, in one subset and
  // in the order given; u and v run 0..1 across each, v downwards, or with
  // `columns`, rectangle i takes the middle of texel column i all over.
  MeshHandle rectangles(std::initializer_list<Area> areas, float z, int columns = 0) {
    std::vector<MeshVertex> v;
    std::vector<uint32_t> idx;
    for (const Area& a : areas) {
      const auto at = static_cast<uint32_t>(v.size());
      const float u =
          columns ? (static_cast<float>(at / 4) + 0.5f) / static_cast<float>(columns) : 0;
      auto uv = [&](float s, float t) { return columns ? Vec2{u, 0.5f} : Vec2{s, t}; };
      v.push_back({{a[0] * z, a[1] * z, z}, {0, 0, -1}, uv(0, 1)});
      v.push_back({{a[0] * z, a[3] * z, z}, {0, 0, -1}, uv(0, 0)});
      v.push_back({{a[2] * z, a[3] * z, z}, {0, 0, -1}, uv(1, 0)});
      v.push_back({{a[2] * z, a[1] * z, z}, {0, 0, -1}, uv(1, 1)});
      for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) idx.push_back(at + i);
    }
    const SubsetRange all{0, static_cast<uint32_t>(idx.size() / 3)};
    const MeshHandle mesh = device->createMesh(
        {v.data(), static_cast<uint32_t>(v.size()), idx.data(), all.faceCount, &all, 1});
    EXPECT_NE(mesh, 0u);
    return mesh;
  }
  void draw(MeshHandle mesh, const Material& m, TextureHandle texture = 0) {
    device->setMaterial(m);
    device->setTexture(0, texture);
    EXPECT_EQ(device->drawSubset(mesh, 0), Result::Ok);
  }
  // The scene, read back. `issuedOrder`: the scene ends the held draws at
  // once, so that each draw goes as issued. `farFirst`: a rectangle at the
  // cleared depth comes second, before the nearer ones.
  std::vector<uint8_t> scene(bool issuedOrder, bool farFirst) {
    device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    device->beginScene();
    if (issuedOrder) {
      device->endScene();
      device->beginScene();
    }
    const Matrix id = identityMatrix();
    device->setTransform(TransformState::World, id);
    device->setTransform(TransformState::View, id);
    device->setTransform(TransformState::Projection, perspective());
    device->setRenderState(RenderState::AlphaTestEnable, 1);
    device->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
    device->setRenderState(RenderState::AlphaRef, 128);
    draw(sky, emissive(0, 0, 1));
    if (farFirst) {
      // Clip w is 1000 all over, and depth exactly the cleared 1.
      Matrix far{};
      far.m[0][0] = far.m[1][1] = far.m[2][2] = far.m[3][3] = 1000;
      device->setTransform(TransformState::Projection, far);
      draw(atClear, emissive(1, 0, 0));
      device->setTransform(TransformState::Projection, perspective());
    }
    draw(redA, emissive(1, 0, 0));
    draw(pair, emissive(1, 1, 1), whiteMagenta);
    draw(cutOut, emissive(1, 1, 1), checker);
    draw(nearest, emissive(0, 1, 1));
    draw(greenB, emissive(0, 1, 0));
    EXPECT_GT(device->drawText(font, "ORDER", -1, {300, 150, 1024, 768}, TEXT_LEFT_TOP, 0xFFFFFFFF),
              0);
    draw(afterText, emissive(0, 0, 0));
    device->endScene();
    readBack();
    return frame;
  }

  void SetUp() override {
    DeviceTest::SetUp();
    font = device->createFont(40, 700, "");
    ASSERT_NE(font, 0u);
    // Alpha 255 and 0 in turn, yellow.
    const uint8_t texels[16] = {255, 255, 0, 255, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 255};
    checker = device->createTexture({2, 2, texels});
    const uint8_t twoTexels[8] = {255, 255, 255, 255, 255, 0, 255, 255};
    whiteMagenta = device->createTexture({2, 1, twoTexels});
    sky = rectangles({{-1, -0.6f, 1, 1}}, 90);
    atClear = rectangles({{-1, -1, 1, -0.6f}}, 1);
    redA = rectangles({{-0.8f, 0.1f, 0.2f, 0.7f}}, 20);
    greenB = rectangles({{-0.2f, 0.3f, 0.6f, 0.9f}}, 20);  // meets A at A's depth
    // White, then magenta over it at the same depth: one draw with a tie.
    pair = rectangles({{-0.9f, -0.5f, -0.3f, -0.1f}, {-0.6f, -0.4f, 0, 0}}, 30, 2);
    cutOut = rectangles({{0.3f, -0.55f, 0.9f, -0.2f}}, 10);  // over the sky only
    nearest = rectangles({{0, -0.3f, 0.3f, 0.3f}}, 5);
    afterText = rectangles({{-0.3f, 0.3f, -0.1f, 0.6f}}, 15);  // over part of the text
  }

  FontHandle font = 0;
  TextureHandle checker = 0, whiteMagenta = 0;
  MeshHandle sky = 0, atClear = 0, redA = 0, greenB = 0, pair = 0, cutOut = 0, nearest = 0,
             afterText = 0;
};

TEST_F(DrawOrder, NearestFirstDrawsEveryPixelAsTheIssuedOrder) {
  const std::vector<uint8_t> issued = scene(true, false);
  auto at = [&](float x, float y) {
    return pixel(static_cast<int>((x + 1) / 2 * 1024), static_cast<int>((1 - y) / 2 * 768));
  };
  EXPECT_RGB_NEAR(at(0.15f, 0.65f), 0, 255, 0, 0);      // B issued after A at its depth
  EXPECT_RGB_NEAR(at(-0.6f, 0.2f), 255, 0, 0, 0);       // A alone
  EXPECT_RGB_NEAR(at(-0.45f, -0.2f), 255, 0, 255, 0);   // the pair's later face
  EXPECT_RGB_NEAR(at(-0.8f, -0.2f), 255, 255, 255, 0);  // its earlier one
  EXPECT_RGB_NEAR(at(0.45f, -0.3f), 255, 255, 0, 0);    // the cut-out's kept texel
  EXPECT_RGB_NEAR(at(0.75f, -0.3f), 0, 0, 255, 0);      // the sky through its hole
  EXPECT_RGB_NEAR(at(0.15f, 0), 0, 255, 255, 0);        // the nearest
  EXPECT_RGB_NEAR(at(0, -0.8f), 0, 0, 0, 0);            // below the sky: the clear
  const std::vector<uint8_t> nearestFirst = scene(false, false);
  auto* gl = dynamic_cast<gl::GlDevice*>(device);
  ASSERT_NE(gl, nullptr);
  // The cut-out, the pair, A and the sky went after the nearest and B.
  EXPECT_EQ(gl->drawsSentReversed(), 4u);
  EXPECT_TRUE(nearestFirst == issued) << "a pixel differs from the issued order's";

  // A draw at the cleared depth wins over the clear only as issued: nothing
  // before it may go reversed, and here that keeps the issued order.
  const std::vector<uint8_t> farIssued = scene(true, true);
  EXPECT_RGB_NEAR(at(0, -0.8f), 255, 0, 0, 0);
  EXPECT_TRUE(scene(false, true) == farIssued) << "a pixel differs from the issued order's";
  EXPECT_EQ(gl->drawsSentReversed(), 0u);
}

}  // namespace
}  // namespace rztest
