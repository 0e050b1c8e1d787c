// The Direct3D 9 device and the GL device draw the same scene alike, within
// 2 of 255 on every channel wherever the picture is not an edge. The GL
// picture comes from d3d9_agreement_gl, named by RZ_GL_AGREEMENT_PPM; this
// device's picture is written beside it (".d3d9.ppm") to look at.
#include <cstdlib>

#include "d3d9_agreement_scene.hpp"
#include "d3d9_test_support.hpp"

namespace rztest {
namespace {

using Agreement = DeviceTest;

TEST_F(Agreement, TheGlDevicesPictureOfTheSameScene) {
  const char* glPath = std::getenv("RZ_GL_AGREEMENT_PPM");
  ASSERT_NE(glPath, nullptr) << "RZ_GL_AGREEMENT_PPM names no picture from the GL device";
  agreement::Picture gl;
  ASSERT_TRUE(agreement::readPpm(glPath, gl)) << glPath;

  agreement::drawScene(device);
  readBack();
  const agreement::Picture mine = agreement::pictureOf(frame, width, height);
  agreement::writePpm(std::string(glPath) + ".d3d9.ppm", mine);

  ASSERT_EQ(mine.width, gl.width);
  ASSERT_EQ(mine.height, gl.height);
  const agreement::Agreement a = agreement::compare(gl, mine, 2);
  // Edges are a few percent of the picture; nearly all of it is compared.
  EXPECT_GT(a.compared, size_t{width} * height * 9 / 10);
  EXPECT_EQ(a.mismatched, 0u) << "first at (" << a.firstX << ", " << a.firstY << ")";
}

}  // namespace
}  // namespace rztest
