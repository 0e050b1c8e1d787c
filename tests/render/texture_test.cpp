#include "render/texture_load.hpp"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "render_fixture.hpp"

namespace {

using TextureTest = RenderTest;

std::vector<uint8_t> texel(const platform::null::NullTexture& t, uint32_t x, uint32_t y) {
  const size_t at = (size_t{y} * t.width + x) * 4;
  return {t.rgba[at], t.rgba[at + 1], t.rgba[at + 2], t.rgba[at + 3]};
}

using Px = std::vector<uint8_t>;

TEST_F(TextureTest, OpaqueBlackBecomesTransparentBlackAndNothingElseChanges) {
  // Opaque black, opaque red, half-transparent black, a near-black grey.
  const uint8_t rgba[] = {0, 0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 128, 1, 0, 0, 255};
  ASSERT_TRUE(stbi_write_png("key.png", 2, 2, 4, rgba, 8));
  const platform::TextureHandle h = createTextureFromFile("key.png");
  ASSERT_NE(h, 0u);
  const platform::null::NullTexture& t = dev().textures.at(h);
  ASSERT_EQ(t.width, 2u);
  ASSERT_EQ(t.height, 2u);
  EXPECT_EQ(texel(t, 0, 0), (Px{0, 0, 0, 0}));
  EXPECT_EQ(texel(t, 1, 0), (Px{255, 0, 0, 255}));
  EXPECT_EQ(texel(t, 0, 1), (Px{0, 0, 0, 128}));
  EXPECT_EQ(texel(t, 1, 1), (Px{1, 0, 0, 255}));
}

TEST_F(TextureTest, FilesWithoutAlphaAreOpaqueAndTheirBlackIsKeyed) {
  const uint8_t rgb[] = {0, 0, 0, 10, 20, 30};
  ASSERT_TRUE(stbi_write_bmp("two.bmp", 2, 1, 3, rgb));
  ASSERT_TRUE(stbi_write_tga("two.tga", 2, 1, 3, rgb));
  for (const char* name : {"two.bmp", "two.tga"}) {
    LoadedImage img;
    std::string error;
    ASSERT_TRUE(loadTextureImage(name, img, error)) << error;
    ASSERT_EQ(img.width, 2u);
    ASSERT_EQ(img.height, 1u);
    EXPECT_EQ(img.rgba, (Px{0, 0, 0, 0, 10, 20, 30, 255})) << name;
  }
  // JPEG is lossy: only the size and opacity are certain.
  std::vector<uint8_t> grey(5 * 3 * 3, 200);
  ASSERT_TRUE(stbi_write_jpg("grey.jpg", 5, 3, 3, grey.data(), 95));
  LoadedImage img;
  std::string error;
  ASSERT_TRUE(loadTextureImage("grey.jpg", img, error)) << error;
  EXPECT_EQ(img.width, 8u);
  EXPECT_EQ(img.height, 4u);
  EXPECT_EQ(img.rgba[3], 255);
}

TEST_F(TextureTest, SidesAreStretchedToThePowerOfTwoAbove) {
  // Red 0, 90, 180 across three texels, stretched to four with texel centres
  // aligned: source positions -0.125 (clamped to 0), 0.625, 1.375, 2.125
  // (clamped to 2) give 0, 56.25, 123.75, 180.
  const uint8_t rgb[] = {0, 255, 0, 90, 255, 0, 180, 255, 0};
  ASSERT_TRUE(stbi_write_png("row.png", 3, 1, 3, rgb, 9));
  const platform::TextureHandle h = createTextureFromFile("row.png");
  ASSERT_NE(h, 0u);
  const platform::null::NullTexture& t = dev().textures.at(h);
  ASSERT_EQ(t.width, 4u);
  ASSERT_EQ(t.height, 1u);
  EXPECT_EQ(texel(t, 0, 0), (Px{0, 255, 0, 255}));
  EXPECT_EQ(texel(t, 1, 0), (Px{56, 255, 0, 255}));
  EXPECT_EQ(texel(t, 2, 0), (Px{124, 255, 0, 255}));
  EXPECT_EQ(texel(t, 3, 0), (Px{180, 255, 0, 255}));
}

TEST_F(TextureTest, UnreadableFilesGiveNoTextureAndAMessage) {
  writeFile("garbage.png", "\x89PNG but not really");
  // A valid TGA header that claims 60000 by 60000 texels and holds none.
  std::string huge(18, '\0');
  huge[2] = 2;
  huge[12] = static_cast<char>(0x60);
  huge[13] = static_cast<char>(0xEA);
  huge[14] = static_cast<char>(0x60);
  huge[15] = static_cast<char>(0xEA);
  huge[16] = 32;
  writeFile("huge.tga", huge);
  for (const char* name : {"nothere.png", "garbage.png", "huge.tga"}) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(createTextureFromFile(name), 0u) << name;
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(name), std::string::npos) << name;
  }
  EXPECT_TRUE(dev().textures.empty());
}

}  // namespace
