#include "render/texture_load.hpp"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#include <zlib.h>

#include "render/image_decode.hpp"
#include "render/texture_image.hpp"
#include "render_fixture.hpp"

namespace {

using TextureTest = RenderTest;

platform::TextureHandle create(const std::string& name) {
  std::string error;
  return createTextureFromFile(name, error);
}

std::string bigEndian(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// One PNG chunk; `length` is what the chunk claims, which may be a lie.
std::string chunk(const std::string& type, const std::string& data, uint32_t length) {
  const std::string body = type + data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
  return bigEndian(length) + body + bigEndian(static_cast<uint32_t>(crc));
}

std::string chunk(const std::string& type, const std::string& data) {
  return chunk(type, data, static_cast<uint32_t>(data.size()));
}

std::string deflated(const std::string& raw) {
  uLongf size = compressBound(raw.size());
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
           raw.size());
  out.resize(size);
  return out;
}

// An 8-bit RGBA PNG of the given size whose image data chunks come between
// the header and the end.
std::string png(uint32_t w, uint32_t h, const std::string& dataChunks) {
  return std::string("\x89PNG\r\n\x1a\n", 8) +
         chunk("IHDR", bigEndian(w) + bigEndian(h) + std::string("\x08\x06\x00\x00\x00", 5)) +
         dataChunks + chunk("IEND", "");
}

std::vector<uint8_t> texel(const platform::null::NullTexture& t, uint32_t x, uint32_t y) {
  const size_t at = (size_t{y} * t.width + x) * 4;
  return {t.rgba[at], t.rgba[at + 1], t.rgba[at + 2], t.rgba[at + 3]};
}

using Px = std::vector<uint8_t>;

TEST_F(TextureTest, OpaqueBlackBecomesTransparentBlackAndNothingElseChanges) {
  // Opaque black, opaque red, half-transparent black, a near-black red; then
  // pure blue and near-black green and blue, each a single channel from black.
  const uint8_t rgba[] = {0, 0, 0,   255, 255, 0, 0, 255, 0, 0, 0, 128, 1, 0, 0, 255,
                          0, 0, 255, 255, 0,   1, 0, 255, 0, 0, 1, 255, 0, 0, 0, 255};
  ASSERT_TRUE(stbi_write_png("key.png", 4, 2, 4, rgba, 16));
  const platform::TextureHandle h = create("key.png");
  ASSERT_NE(h, 0u);
  const platform::null::NullTexture& t = dev().textures.at(h);
  ASSERT_EQ(t.width, 4u);
  ASSERT_EQ(t.height, 2u);
  EXPECT_EQ(texel(t, 0, 0), (Px{0, 0, 0, 0}));
  EXPECT_EQ(texel(t, 1, 0), (Px{255, 0, 0, 255}));
  EXPECT_EQ(texel(t, 2, 0), (Px{0, 0, 0, 128}));
  EXPECT_EQ(texel(t, 3, 0), (Px{1, 0, 0, 255}));
  EXPECT_EQ(texel(t, 0, 1), (Px{0, 0, 255, 255}));
  EXPECT_EQ(texel(t, 1, 1), (Px{0, 1, 0, 255}));
  EXPECT_EQ(texel(t, 2, 1), (Px{0, 0, 1, 255}));
  EXPECT_EQ(texel(t, 3, 1), (Px{0, 0, 0, 0}));
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
  const platform::TextureHandle h = create("row.png");
  ASSERT_NE(h, 0u);
  const platform::null::NullTexture& t = dev().textures.at(h);
  ASSERT_EQ(t.width, 4u);
  ASSERT_EQ(t.height, 1u);
  EXPECT_EQ(texel(t, 0, 0), (Px{0, 255, 0, 255}));
  EXPECT_EQ(texel(t, 1, 0), (Px{56, 255, 0, 255}));
  EXPECT_EQ(texel(t, 2, 0), (Px{124, 255, 0, 255}));
  EXPECT_EQ(texel(t, 3, 0), (Px{180, 255, 0, 255}));

  // The same three texels as a column are stretched down alike.
  ASSERT_TRUE(stbi_write_png("column.png", 1, 3, 3, rgb, 3));
  const platform::null::NullTexture& c = dev().textures.at(create("column.png"));
  ASSERT_EQ(c.width, 1u);
  ASSERT_EQ(c.height, 4u);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(texel(c, 0, i), texel(t, i, 0)) << i;
}

TEST_F(TextureTest, UnusableFilesGiveNoTextureAndAMessageWithTheReason) {
  writeFile("garbage.png", "\x89PNG but not really");
  writeFile("empty.png", "");
  std::filesystem::create_directory("folder.png");
  writeFile("anim.gif", "GIF89a\x01\x00\x01\x00\x00\x00\x00;");
  // A valid TGA header that claims 60000 by 60000 texels and holds none.
  std::string huge(18, '\0');
  huge[2] = 2;
  huge[12] = static_cast<char>(0x60);
  huge[13] = static_cast<char>(0xEA);
  huge[14] = static_cast<char>(0x60);
  huge[15] = static_cast<char>(0xEA);
  huge[16] = 32;
  writeFile("huge.tga", huge);
  // A header that claims 65535 by 65535 texels, and one a texel too wide.
  writeFile("vast.png", png(65535, 65535, ""));
  writeFile("wide.png", png(4097, 1, ""));
  // 64 x 64 with a data chunk that claims 1 GiB and holds 16 bytes.
  writeFile("lying.png", png(64, 64, chunk("IDAT", std::string(16, '\0'), 1u << 30)));
  // 64 x 64 (16,448 bytes of rows) whose data inflates to 4 MiB.
  writeFile("bomb.png", png(64, 64, chunk("IDAT", deflated(std::string(4 << 20, '\0')))));
  const std::pair<const char*, const char*> cases[] = {
      {"nothere.png", "nothere.png: cannot open (No such file or directory)"},
      {"garbage.png", "garbage.png: not a PNG, JPEG, BMP or TGA image"},
      {"empty.png", "empty.png: the file is empty"},
      {"folder.png", "folder.png: is a folder, not a file"},
      {"anim.gif", "anim.gif: a GIF image; textures must be PNG, JPEG, BMP or TGA"},
      {"huge.tga", "huge.tga: image size 60000 x 60000 is outside 1 to 4096"},
      {"vast.png", "vast.png: image size 65535 x 65535 is outside 1 to 4096"},
      {"wide.png", "wide.png: image size 4097 x 1 is outside 1 to 4096"},
      {"lying.png", "lying.png: the PNG's IDAT chunk claims 1073741824 bytes but the file has 32"},
      {"bomb.png", "more than a 64 x 64 image needs"},
  };
  for (const auto& [name, message] : cases) {
    std::string error;
    EXPECT_EQ(createTextureFromFile(name, error), 0u) << name;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
  EXPECT_TRUE(dev().textures.empty());

  // 4096 a side is still allowed.
  const std::vector<uint8_t> grey(4096 * 3, 128);
  ASSERT_TRUE(stbi_write_png("line.png", 4096, 1, 3, grey.data(), 4096 * 3));
  ASSERT_TRUE(stbi_write_png("post.png", 1, 4096, 3, grey.data(), 3));
  for (const char* name : {"line.png", "post.png"}) {
    std::string error;
    EXPECT_NE(createTextureFromFile(name, error), 0u) << error;
  }
}

// Models made on Windows name "Textures\Road.BMP" for textures/road.bmp.
TEST_F(TextureTest, WindowsNamesFindTheirFileIgnoringCase) {
  std::filesystem::create_directories("Data/textures");
  const uint8_t rgb[] = {10, 20, 30};
  ASSERT_TRUE(stbi_write_bmp("Data/textures/road.bmp", 1, 1, 3, rgb));
  // Where the file system itself ignores case, the name may come back as
  // given: it must name the same file all the same.
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::equivalent(findTextureFile("Data\\Textures\\Road.BMP"),
                                          "Data/textures/road.bmp", ec));
  EXPECT_NE(create("Data\\Textures\\Road.BMP"), 0u);
  EXPECT_NE(create("data/TEXTURES/road.bmp"), 0u);
  // The message names the path finally tried, in the folder found, and the
  // model's own name.
  std::string error;
  EXPECT_EQ(createTextureFromFile("DATA\\Textures\\Grass.bmp", error), 0u);
  const std::string tried = findTextureFile("DATA\\Textures\\Grass.bmp");
  EXPECT_TRUE(
      std::filesystem::equivalent(std::filesystem::path(tried).parent_path(), "Data/textures", ec));
  EXPECT_EQ(error.rfind(tried + ": cannot open", 0), 0u) << error;
  EXPECT_NE(error.find("DATA\\Textures\\Grass.bmp"), std::string::npos) << error;
}

// Every file in the corpus (samples, and inputs the fuzzer found
// interesting): ok-* must decode, bad-* must not, and whatever the outcome
// the image is sound.
TEST(TextureCorpus, EveryFileGivesASoundImageOrAMessage) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TEXTURE_CORPUS_DIR)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    LoadedImage img;
    std::string error;
    const bool ok = loadTextureImage(entry.path().string(), img, error);
    if (ok) {
      EXPECT_TRUE(img.width >= 1 && img.width <= MAX_TEXTURE_SIDE &&
                  (img.width & (img.width - 1)) == 0);
      EXPECT_TRUE(img.height >= 1 && img.height <= MAX_TEXTURE_SIDE &&
                  (img.height & (img.height - 1)) == 0);
      EXPECT_EQ(img.rgba.size(), size_t{img.width} * img.height * 4);
    } else {
      EXPECT_TRUE(img.rgba.empty());
      EXPECT_NE(error.find(name + ": "), std::string::npos) << error;
    }
    if (name.rfind("ok-", 0) == 0) {
      EXPECT_TRUE(ok) << error;
    }
    if (name.rfind("bad-", 0) == 0) {
      EXPECT_FALSE(ok);
    }
    ++files;
  }
  EXPECT_GT(files, 10u);
}

}  // namespace
