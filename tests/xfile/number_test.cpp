// Decimal numbers of text files: each becomes the nearest float, rounded
// once, on every platform's C library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "xfile/xfile_internal.hpp"

namespace {

bool parse(const std::string& text, float& out) {
  return parseDecimalFloat(text.data(), text.data() + text.size(), out);
}

float parsed(const std::string& text) {
  float out = 12345.0f;
  EXPECT_TRUE(parse(text, out)) << text;
  return out;
}

TEST(XFileNumbers, NumbersJustOffAndOnTheMidpointBetweenTwoFloats) {
  // The midpoint of two neighbouring floats is exact in a double, and printf
  // writes a double's exact decimal expansion. Reading it must give the one of
  // the two with an even last bit; a little more goes up, a little less
  // down. A reader that rounds through a double misses the last two.
  std::mt19937 random(20);
  for (int i = 0; i < 2000; ++i) {
    const uint32_t bits = random() & 0x7F7FFFFFu;  // positive and finite
    float low;
    std::memcpy(&low, &bits, sizeof low);
    const float high = std::nextafter(low, INFINITY);
    if (low == 0.0f || std::isinf(high)) continue;  // their midpoints are out of range
    char text[256];
    std::snprintf(text, sizeof text, "%.200e", (static_cast<double>(low) + high) / 2);
    std::string mantissa = text;
    const std::string exponent = mantissa.substr(mantissa.find('e'));
    mantissa.erase(mantissa.find('e'));
    mantissa.erase(mantissa.find_last_not_of('0') + 1);
    SCOPED_TRACE(mantissa + exponent);
    EXPECT_EQ(parsed(mantissa + exponent), (bits & 1) ? high : low);
    EXPECT_EQ(parsed(mantissa + "0001" + exponent), high);
    std::string below = mantissa;  // its last digit (not 0) less 1, then 999
    below.back() = static_cast<char>(below.back() - 1);
    EXPECT_EQ(parsed(below + "999" + exponent), low);
  }
}

TEST(XFileNumbers, ShapesAndRange) {
  EXPECT_EQ(parsed("-12.5e1"), -125.0f);
  EXPECT_EQ(parsed("1."), 1.0f);
  EXPECT_EQ(parsed("-.25"), -0.25f);
  EXPECT_EQ(parsed("0.1"), 0.1f);
  EXPECT_EQ(parsed("000123.4560000E-2"), 1.23456f);
  EXPECT_TRUE(std::signbit(parsed("-0.0e9")));
  EXPECT_EQ(parsed("3.4028235e38"), 3.4028235e38f);   // the largest float
  const float smallest = std::nextafter(0.0f, 1.0f);  // 2^-149
  EXPECT_EQ(parsed("1e-45"), smallest);
  // Just past 2^-150 = 7.0064923216240853546186479164495806564e-46, half of it.
  EXPECT_EQ(parsed("-7.0064923216240853546186479164495807e-46"), -smallest);
  for (const char* bad : {"", "-", ".", "1e", "1e+", "1.2.3", "--1", "+1", "1f", "0x10", "inf",
                          "nan", "1e39", "1e-46", "1,5"}) {
    float out = 7.0f;
    EXPECT_FALSE(parse(bad, out)) << bad;
    EXPECT_EQ(out, 7.0f) << bad;
  }
}

}  // namespace
