// The title font through GDI: sized by line height, drawn left and top
// aligned in its colour inside its rectangle only, and leaving the game's
// states as they were.
#include "d3d9_test_support.hpp"

namespace rztest {
namespace {

using Text = DeviceTest;

TEST_F(Text, DrawsInItsColourFromTheRectanglesTopLeftAndNowhereElse) {
  const FontHandle font = device->createFont(62, 400, "");
  ASSERT_NE(font, 0u);
  device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  device->beginScene();
  EXPECT_EQ(device->drawText(font, " Dulmar/Tokvane ", 16, Rect{280, 390, 1024, 768}, TEXT_LEFT_TOP,
                             0xFF8264C8),
            62);
  device->endScene();
  const Ink ink = inkOf([&](int x, int y) { return pixel(x, y); }, 1024, 768, 130, 100, 200);
  EXPECT_GT(ink.full, 200);
  EXPECT_GE(ink.left, 280);
  EXPECT_GE(ink.top, 390);
  // Left and top aligned on one line, as the GL device draws it.
  EXPECT_LT(ink.left, 280 + 62);
  EXPECT_LT(ink.top, 390 + 20);
  EXPECT_LT(ink.bottom, 390 + 62);
  EXPECT_GT(ink.right, 280 + 62 * 4);
}

TEST_F(Text, IsClippedToItsRectangleAndLeavesTheGamesStatesAsTheyWere) {
  const FontHandle font = device->createFont(62, 400, "");
  ASSERT_NE(font, 0u);
  // The left half of the screen, or with a world matrix a part of it.
  const MeshVertex v[4] = {{{-1, -1, 0}, {0, 0, -1}, {0, 0}},
                           {{-1, 1, 0}, {0, 0, -1}, {0, 0}},
                           {{0, 1, 0}, {0, 0, -1}, {0, 0}},
                           {{0, -1, 0}, {0, 0, -1}, {0, 0}}};
  const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
  const SubsetRange all{0, 2};
  const MeshHandle half = device->createMesh({v, 4, idx, 2, &all, 1});
  const auto draw = [&](float x, float y, float height, float z, float r, float g, float b,
                        float a) {
    Matrix at = identityMatrix();
    at.m[1][1] = height;
    at.m[3][0] = x;
    at.m[3][1] = y;
    at.m[3][2] = z;
    Material m{};
    m.diffuse = {0, 0, 0, a};
    m.emissive = {r, g, b, 1};
    device->setTransform(TransformState::World, at);
    device->setMaterial(m);
    device->setTexture(0, 0);  // as the game does before each subset
    device->drawSubset(half, 0);
  };
  device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  device->beginScene();
  device->setRenderState(RenderState::AlphaTestEnable, 1);
  device->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
  device->setRenderState(RenderState::AlphaRef, 200);
  draw(0, 0, 1, 0.3f, 1, 0, 0, 1);  // red, left
  device->drawText(font, "WWWWWWWW", -1, Rect{600, 200, 660, 230}, TEXT_LEFT_TOP, 0xFFFFFFFF);
  // After the text: the depth test hides green behind red; blue lands in the
  // lower right, outside the text's rectangle; the alpha test cuts away the
  // half-transparent white in front of it.
  draw(0, 0, 1, 0.6f, 0, 1, 0, 1);
  draw(1, -0.5f, 0.5f, 0.5f, 0, 0, 1, 1);
  draw(1, -0.5f, 0.5f, 0.2f, 1, 1, 1, 0.5f);
  device->endScene();
  EXPECT_RGB_NEAR(pixel(256, 384), 255, 0, 0, 0);
  EXPECT_RGB_NEAR(pixel(768, 600), 0, 0, 255, 0);
  const Ink ink =
      inkOf([&](int x, int y) { return x < 512 || y >= 384 ? std::array<int, 4>{} : pixel(x, y); },
            1024, 768, 255, 255, 255);
  EXPECT_GT(ink.full, 0);
  EXPECT_GE(ink.left, 600);
  EXPECT_GE(ink.top, 200);
  EXPECT_LT(ink.right, 660);
  EXPECT_LT(ink.bottom, 230);
}

TEST_F(Text, BadFontsAndTextsDrawNothing) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(device->createFont(0, 400, ""), 0u);
  EXPECT_EQ(device->createFont(100000, 400, ""), 0u);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("font height"), std::string::npos);
  const FontHandle font = device->createFont(20, 400, "");
  device->clear(CLEAR_TARGET, 0xFF000000, 1, 0);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);  // no scene
  device->beginScene();
  EXPECT_EQ(device->drawText(font + 7, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font, nullptr, 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{100, 100, 50, 50}, 0, 0xFFFFFFFF), 0);
  device->releaseFont(font);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  device->endScene();
  EXPECT_LT(inkOf([&](int x, int y) { return pixel(x, y); }, 1024, 768, 0, 0, 0).right, 0);
}

}  // namespace
}  // namespace rztest
