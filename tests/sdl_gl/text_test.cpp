// The title font: a face found through fontconfig, sized by line height,
// drawn left and top aligned in its colour, inside its rectangle only.
#include <SDL2/SDL_ttf.h>

#include <unistd.h>

#include <cstdlib>

#include "gl_test_support.hpp"
#include "platform/sdl_gl/ttf_fonts.hpp"

namespace rztest {
namespace {

using Text = DeviceTest;

TEST_F(Text, DrawsInItsColourFromTheRectanglesTopLeftAndNowhereElse) {
  const FontHandle font = device->createFont(62, 400, "");
  ASSERT_NE(font, 0u);
  device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  device->beginScene();
  const Rect rect{280, 390, 1024, 768};
  EXPECT_EQ(device->drawText(font, " Dulmar/Tokvane ", 16, rect, TEXT_LEFT_TOP, 0xFF8264C8), 62);
  device->endScene();
  readBack();
  const Ink ink = inkOf([&](int x, int y) { return pixel(x, y); }, 1024, 768, 130, 100, 200);
  EXPECT_GT(ink.full, 200);  // solid strokes in exactly the colour
  EXPECT_GE(ink.left, 280);
  EXPECT_GE(ink.top, 390);
  // Left and top aligned: the ink starts within a glyph's side bearing of
  // the corner (the leading blank is a third of the height at most) and
  // stays on one line.
  EXPECT_LT(ink.left, 280 + 62);
  EXPECT_LT(ink.top, 390 + 20);
  EXPECT_LT(ink.bottom, 390 + 62);
}

TEST_F(Text, IsClippedToASmallRectangle) {
  const FontHandle font = device->createFont(62, 400, "");
  ASSERT_NE(font, 0u);
  device->clear(CLEAR_TARGET, 0xFF000000, 1, 0);
  device->beginScene();
  device->drawText(font, "WWWWWWWW", -1, Rect{200, 200, 260, 230}, TEXT_LEFT_TOP, 0xFFFFFFFF);
  device->endScene();
  readBack();
  const Ink ink = inkOf([&](int x, int y) { return pixel(x, y); }, 1024, 768, 255, 255, 255);
  EXPECT_GT(ink.changed, 0);
  EXPECT_GE(ink.left, 200);
  EXPECT_GE(ink.top, 200);
  EXPECT_LT(ink.right, 260);
  EXPECT_LT(ink.bottom, 230);
}

TEST_F(Text, BadFontsAndTextsDrawNothing) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(device->createFont(0, 400, ""), 0u);
  EXPECT_EQ(device->createFont(100000, 400, ""), 0u);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("font height"), std::string::npos);
  const FontHandle font = device->createFont(20, 400, "");
  device->clear(CLEAR_TARGET, 0xFF000000, 1, 0);
  device->beginScene();
  EXPECT_EQ(device->drawText(0, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font + 7, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font, nullptr, 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{100, 100, 50, 50}, 0, 0xFFFFFFFF), 0);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{-500, -500, -1, -1}, 0, 0xFFFFFFFF), 0);
  device->releaseFont(font);
  EXPECT_EQ(device->drawText(font, "text", 4, Rect{0, 0, 100, 100}, 0, 0xFFFFFFFF), 0);
  device->endScene();
  readBack();
  EXPECT_EQ(inkOf([&](int x, int y) { return pixel(x, y); }, 1024, 768, 0, 0, 0).changed, 0);
}

TEST(TextSize, PointSizeGivesTheClosestLineSkip) {
  ASSERT_EQ(TTF_Init(), 0);
  int index = 0;
  const std::string file = platform::sdl_gl::findFontFile("", 400, index);
  ASSERT_FALSE(file.empty());
  TTF_Font* font = TTF_OpenFontIndex(file.c_str(), 12, index);
  ASSERT_NE(font, nullptr);
  for (int height : {12, 31, 62, 100}) {
    SCOPED_TRACE(height);
    const int pt = platform::sdl_gl::pointSizeForLineHeight(font, height);
    ASSERT_GT(pt, 0);
    const int gap = std::abs(TTF_FontLineSkip(font) - height);
    for (int other : {pt - 1, pt + 1}) {
      TTF_SetFontSize(font, other);
      EXPECT_GE(std::abs(TTF_FontLineSkip(font) - height), gap);
    }
  }
  TTF_CloseFont(font);
  TTF_Quit();
}

TEST(TextNoFont, SaysSoOnceAndDrawsNothing) {
  // A fresh process: fontconfig keeps the first set-up it reads.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // A fontconfig set-up that knows no fonts at all.
        const std::string name = testing::TempDir() + "rz_no_fonts_" + std::to_string(getpid());
        const char* conf = name.c_str();
        FILE* f = std::fopen(conf, "w");
        std::fputs("<?xml version=\"1.0\"?><fontconfig></fontconfig>\n", f);
        std::fclose(f);
        setenv("FONTCONFIG_FILE", conf, 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!platform::sdl_gl::install()) std::exit(2);
        platform::sys().createMainWindow(gameWindow());
        platform::Device* d = platform::services().graphics->createDevice(gameParams());
        if (!d) std::exit(3);
        const bool none = d->createFont(62, 400, "") == 0 && d->createFont(30, 400, "") == 0;
        platform::sdl_gl::uninstall();
        std::remove(conf);
        std::exit(none ? 0 : 4);
      },
      testing::ExitedWithCode(0), "^riderozad: no font for the title texts[^\n]*\n$");
}

}  // namespace
}  // namespace rztest
