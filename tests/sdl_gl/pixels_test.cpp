// What the device draws, read back from the back buffer and compared with
// colours worked out by hand from the fixed-function rules.
#include <cmath>

// tests/win32 runs these cases on the Direct3D 9 device with its own support.
#ifndef RZ_DEVICE_TEST_SUPPORT_INCLUDED
#include "gl_test_support.hpp"
#endif

namespace rztest {
namespace {

// A rectangle in the plane z, facing the viewer (normal -z), wound clockwise
// on screen; u runs 0..uMax left to right, v 0..1 top to bottom.
MeshHandle quad(Device* d, float x0, float y0, float x1, float y1, float z, float uMax = 1) {
  const MeshVertex v[4] = {{{x0, y0, z}, {0, 0, -1}, {0, 1}},
                           {{x0, y1, z}, {0, 0, -1}, {0, 0}},
                           {{x1, y1, z}, {0, 0, -1}, {uMax, 0}},
                           {{x1, y0, z}, {0, 0, -1}, {uMax, 1}}};
  const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
  const SubsetRange subset{0, 2};
  return d->createMesh({v, 4, idx, 2, &subset, 1});
}

Material emissive(float r, float g, float b) {
  Material m{};
  m.diffuse = {0, 0, 0, 1};
  m.emissive = {r, g, b, 1};
  return m;
}

Light directional(Vec3 direction, float r, float g, float b) {
  Light l{};
  l.type = LightType::Directional;
  l.diffuse = {r, g, b, 0.2f};
  l.direction = direction;
  return l;
}

class Pixels : public DeviceTest {
 protected:
  void begin(uint32_t argb = 0xFF000000) {
    device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, argb, 1.0f, 0);
    device->beginScene();
    const Matrix id = identityMatrix();
    device->setTransform(TransformState::World, id);
    device->setTransform(TransformState::View, id);
    device->setTransform(TransformState::Projection, id);
  }
  void draw(MeshHandle mesh) {
    ASSERT_NE(mesh, 0u);
    EXPECT_EQ(device->drawSubset(mesh, 0), Result::Ok);
  }
  void end() {
    device->endScene();
    readBack();
  }
};

TEST_F(Pixels, ClearTakesAnArgbColour) {
  begin(0xFF336699);
  end();
  EXPECT_RGB_NEAR(pixel(0, 0), 0x33, 0x66, 0x99, 0);
  EXPECT_RGB_NEAR(pixel(1023, 767), 0x33, 0x66, 0x99, 0);
}

TEST_F(Pixels, LitQuadFollowsTheLightingRuleSeenFromATurnedCamera) {
  // The camera looks along +x (look-at from the origin to (1, 0, 0), up +y):
  // world (x, y, z) goes to view (-z, y, x). Each world matrix below turns
  // model (x, y, z) to world (z, y, -x) first, so the quads reach the view
  // as they are, facing it. Lighting happens in view space, where the
  // directions given in the world below become the ones named in brackets;
  // left in the world, both lights would add nothing to these quads.
  Matrix view{}, turned{};
  view.m[0][2] = view.m[1][1] = view.m[3][3] = 1;
  view.m[2][0] = -1;
  turned.m[0][2] = -1;
  turned.m[1][1] = turned.m[2][0] = turned.m[3][3] = 1;
  Material m{};
  m.diffuse = {0.5f, 0.8f, 1.0f, 0.4f};
  m.emissive = {0.2f, 0.05f, 0.0f, 0};
  // Light 0 shines along (4, -3, 0) [(0, -3, 4), unit (0, -0.6, 0.8)], so
  // N . -L = 0.8 for the view-space normal (0, 0, -1). Light 1 along
  // (-1, 0, 0) [(0, 0, -1)] shines from behind the quad and adds nothing;
  // light 2 is set but not enabled.
  device->setLight(0, directional({4, -3, 0}, 1.0f, 0.5f, 0.25f));
  device->setLight(1, directional({-1, 0, 0}, 1, 1, 1));
  device->setLight(2, directional({1, 0, 0}, 1, 1, 1));
  device->lightEnable(0, true);
  device->lightEnable(1, true);
  begin();
  device->setTransform(TransformState::View, view);
  device->setTransform(TransformState::World, turned);
  device->setMaterial(m);
  draw(quad(device, -0.5f, -0.5f, 0.5f, 0.5f, 0.5f));
  // The same quad stretched to twice its depth by the world matrix (model z
  // to world 2x): the normal's length halves (it is not renormalised) and
  // so does N . -L. Moved 1 along world -z, the view's right, out of the
  // first quad's way.
  Matrix stretch = turned;
  stretch.m[2][0] = 2;
  stretch.m[3][2] = -1;
  device->setTransform(TransformState::World, stretch);
  draw(quad(device, -0.45f, -0.5f, -0.05f, 0.5f, 0.2f));
  end();
  // 0.2 + 0.5 * 1.0 * 0.8 = 0.6; 0.05 + 0.8 * 0.5 * 0.8 = 0.37; 1.0 * 0.25 * 0.8 = 0.2
  EXPECT_RGB_NEAR(pixel(400, 384), 0.6 * 255, 0.37 * 255, 0.2 * 255, 2);
  // Factor 0.4: 0.2 + 0.5 * 0.4 = 0.4; 0.05 + 0.8 * 0.5 * 0.4 = 0.21; 0.25 * 0.4 = 0.1
  EXPECT_RGB_NEAR(pixel(900, 384), 0.4 * 255, 0.21 * 255, 0.1 * 255, 2);
  EXPECT_RGB_NEAR(pixel(100, 384), 0, 0, 0, 0);
}

TEST_F(Pixels, LightingClampsBeforeTheTextureAndCanBeSwitchedOff) {
  Material m{};
  m.diffuse = {0.5f, 0.25f, 0.1f, 1};
  device->setLight(0, directional({0, 0, 1}, 4, 2, 1));
  device->lightEnable(0, true);
  const uint8_t grey[4] = {102, 102, 102, 255};  // 0.4
  const TextureHandle tex = device->createTexture({1, 1, grey});
  begin();
  device->setMaterial(m);
  draw(quad(device, -1, 0, 0, 1, 0.5f));
  device->setTexture(0, tex);
  draw(quad(device, -1, -1, 0, 0, 0.5f));
  device->setTexture(0, 0);
  device->setRenderState(RenderState::Lighting, 0);
  draw(quad(device, 0, -1, 1, 1, 0.5f));
  end();
  // 0.5 * 4 = 2 and 0.25 * 2 = 0.5 and 0.1 * 1: red clamps to 1.
  EXPECT_RGB_NEAR(pixel(256, 192), 255, 127.5, 25.5, 1);
  // Clamped first, then times 0.4: 1 * 0.4, 0.5 * 0.4, 0.1 * 0.4.
  EXPECT_RGB_NEAR(pixel(256, 576), 102, 51, 10.2, 1);
  // Unlit with no vertex colours: white.
  EXPECT_RGB_NEAR(pixel(768, 384), 255, 255, 255, 0);
}

TEST_F(Pixels, VertexAlphaIsTheMaterialsDiffuseAlpha) {
  Material m = emissive(1, 1, 1);
  m.diffuse.a = 0.4f;  // 102 of 255
  begin();
  device->setMaterial(m);
  device->setRenderState(RenderState::AlphaTestEnable, 1);
  device->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
  device->setRenderState(RenderState::AlphaRef, 102);
  draw(quad(device, -1, -1, 0, 1, 0.5f));
  device->setRenderState(RenderState::AlphaRef, 103);
  draw(quad(device, 0, -1, 1, 1, 0.5f));
  end();
  EXPECT_RGB_NEAR(pixel(256, 384), 255, 255, 255, 0);
  EXPECT_RGB_NEAR(pixel(768, 384), 0, 0, 0, 0);
}

TEST_F(Pixels, EachComparisonKeepsExactlyTheAlphasItPassesForATextureAndAMaterial) {
  // Every fragment has alpha 150: a texture of that one alpha in the left
  // three columns, an untextured material of that alpha in the right three,
  // references 149, 150 and 151. A row per comparison, NEVER to ALWAYS,
  // with what it keeps worked out from "150 op reference".
  const bool keeps[8][3] = {{false, false, false}, {false, false, true}, {false, true, false},
                            {false, true, true},   {true, false, false}, {true, false, true},
                            {true, true, false},   {true, true, true}};
  const uint8_t texel[4] = {255, 255, 255, 150};
  const TextureHandle tex = device->createTexture({1, 1, texel});
  Material m = emissive(1, 1, 1);
  m.diffuse.a = 150 / 255.0f;
  begin(0xFF0000FF);
  device->setMaterial(m);
  device->setRenderState(RenderState::AlphaTestEnable, 1);
  for (uint32_t func = CMP_NEVER; func <= CMP_ALWAYS; ++func) {
    device->setRenderState(RenderState::AlphaFunc, func);
    const float y1 = 1 - 0.25f * static_cast<float>(func - 1), y0 = y1 - 0.25f;
    for (int column = 0; column < 6; ++column) {
      device->setTexture(0, column < 3 ? tex : 0);
      device->setRenderState(RenderState::AlphaRef, 149 + static_cast<uint32_t>(column % 3));
      const float x0 = -1 + static_cast<float>(column) / 3;
      draw(quad(device, x0, y0, x0 + 1.0f / 3, y1, 0.5f));
    }
  }
  end();
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 6; ++column) {
      SCOPED_TRACE(testing::Message() << "comparison " << row + 1 << ", column " << column);
      const bool kept = keeps[row][column % 3];
      EXPECT_RGB_NEAR(pixel(column * 1024 / 6 + 85, row * 96 + 48), kept ? 255 : 0, kept ? 255 : 0,
                      255, 0);
    }
  }
}

TEST_F(Pixels, AlphaTestDropsTheColourKeyedTexelsOfAPointSampledWrappingTexture) {
  // Four texels in a row, as the colour key leaves them: keyed black, alpha
  // just under the reference, at it, opaque.
  const uint8_t texels[16] = {0, 0, 0, 0, 200, 200, 200, 199, 255, 255, 255, 200, 255, 128, 0, 255};
  const TextureHandle tex = device->createTexture({4, 1, texels});
  ASSERT_NE(tex, 0u);
  begin(0xFF0000FF);
  // The material's own alpha does not count once a texture is bound.
  Material m = emissive(0.6f, 0.2f, 1.0f);
  m.diffuse.a = 0.5f;
  device->setMaterial(m);
  device->setTexture(0, tex);
  device->setRenderState(RenderState::AlphaTestEnable, 1);
  device->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
  device->setRenderState(RenderState::AlphaRef, 200);
  // u runs 0..2 over the upper half: the row shows twice, 128 pixels a texel.
  draw(quad(device, -1, 0, 1, 1, 0.5f, 2));
  // The lower half without the alpha test.
  device->setRenderState(RenderState::AlphaTestEnable, 0);
  draw(quad(device, -1, -1, 1, 0, 0.5f, 2));
  end();
  for (int repeat = 0; repeat < 2; ++repeat) {
    const int x = repeat * 512 + 64;
    SCOPED_TRACE(repeat);
    EXPECT_RGB_NEAR(pixel(x, 192), 0, 0, 255, 0);        // alpha 0: dropped
    EXPECT_RGB_NEAR(pixel(x + 128, 192), 0, 0, 255, 0);  // 199: dropped
    // Texture times lit colour: (1, 1, 1) * (0.6, 0.2, 1.0).
    EXPECT_RGB_NEAR(pixel(x + 256, 192), 153, 51, 255, 1);
    // (1, 128/255, 0) * (0.6, 0.2, 1.0) = 153, 25.6, 0.
    EXPECT_RGB_NEAR(pixel(x + 384, 192), 153, 25.6, 0, 1);
    // Point sampling: no blend just inside either side of a texel edge.
    const int edge = repeat * 512 + 256;  // between the second and third texel
    EXPECT_RGB_NEAR(pixel(edge - 2, 192), 0, 0, 255, 0);
    EXPECT_RGB_NEAR(pixel(edge + 2, 192), 153, 51, 255, 1);
    // Without the test the keyed texel is drawn black.
    EXPECT_RGB_NEAR(pixel(x, 576), 0, 0, 0, 0);
  }
}

TEST_F(Pixels, CounterClockwiseTrianglesAreCulled) {
  // Bottom left, top, bottom right: clockwise on screen.
  const MeshVertex v[3] = {{{-0.5f, -0.5f, 0.5f}, {0, 0, -1}, {0, 0}},
                           {{0, 0.5f, 0.5f}, {0, 0, -1}, {0, 0}},
                           {{0.5f, -0.5f, 0.5f}, {0, 0, -1}, {0, 0}}};
  const uint32_t clockwise[3] = {0, 1, 2};
  const uint32_t counter[3] = {0, 2, 1};
  const SubsetRange subset{0, 1};
  const MeshHandle front = device->createMesh({v, 3, clockwise, 1, &subset, 1});
  const MeshHandle back = device->createMesh({v, 3, counter, 1, &subset, 1});
  begin();
  device->setMaterial(emissive(0, 1, 0));
  Matrix left = identityMatrix(), right = identityMatrix();
  left.m[3][0] = -0.5f;
  right.m[3][0] = 0.5f;
  device->setTransform(TransformState::World, left);
  draw(front);
  device->setTransform(TransformState::World, right);
  draw(back);
  end();
  EXPECT_RGB_NEAR(pixel(256, 420), 0, 255, 0, 0);
  EXPECT_RGB_NEAR(pixel(768, 420), 0, 0, 0, 0);
}

TEST_F(Pixels, DepthIsLessOrEqualAndClippedToZeroToOne) {
  begin();
  device->setMaterial(emissive(1, 0, 0));
  draw(quad(device, -1, -1, 1, 1, 0.3f));
  device->setMaterial(emissive(0, 1, 0));
  draw(quad(device, -1, -1, 1, 1, 0.6f));  // behind: hidden
  device->setMaterial(emissive(0, 0, 1));
  draw(quad(device, -1, -1, 0, 1, 0.3f));  // the same depth: drawn over
  // In front of the near plane (z < 0) and beyond the far one (z > w):
  // both clipped, although GL's own clip range would keep the first.
  device->setMaterial(emissive(1, 1, 1));
  draw(quad(device, -1, -1, 1, 1, -0.2f));
  draw(quad(device, -1, -1, 1, 1, 1.2f));
  end();
  EXPECT_RGB_NEAR(pixel(256, 384), 0, 0, 255, 0);
  EXPECT_RGB_NEAR(pixel(768, 384), 255, 0, 0, 0);
}

TEST_F(Pixels, RowVectorTransformsWorldViewProjection) {
  // Perspective for a field of view of pi/2, aspect 1, near 1, far 101, as
  // the left-handed formula builds it: x and y kept, z' = 1.01 z - 1.01,
  // w = z.
  Matrix proj{};
  proj.m[0][0] = 1;
  proj.m[1][1] = 1;
  proj.m[2][2] = 1.01f;
  proj.m[2][3] = 1;
  proj.m[3][2] = -1.01f;
  // The view moves the world 1 unit away along +z; the world moves the
  // quad 1 unit right. The quad x 0..1, y 0..1 at z 1 thus lies at x 1..2,
  // y 0..1, depth 2: x/w 0.5..1, y/w 0..0.5.
  Matrix view = identityMatrix(), world = identityMatrix();
  view.m[3][2] = 1;
  world.m[3][0] = 1;
  begin();
  device->setTransform(TransformState::Projection, proj);
  device->setTransform(TransformState::View, view);
  device->setTransform(TransformState::World, world);
  device->setMaterial(emissive(1, 1, 0));
  draw(quad(device, 0, 0, 1, 1, 1));
  end();
  // Screen x = (ndc + 1) / 2 * 1024: 768..1023; rows (1 - ndc) / 2 * 768: 192..383.
  EXPECT_RGB_NEAR(pixel(896, 288), 255, 255, 0, 0);
  EXPECT_RGB_NEAR(pixel(770, 194), 255, 255, 0, 0);
  EXPECT_RGB_NEAR(pixel(765, 288), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(pixel(896, 189), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(pixel(896, 386), 0, 0, 0, 0);
  Matrix back{};
  device->getTransform(TransformState::Projection, back);
  EXPECT_EQ(back.m[3][2], -1.01f);
  EXPECT_EQ(back.m[2][3], 1.0f);
}

}  // namespace
}  // namespace rztest
