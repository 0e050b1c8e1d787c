#include <string>

#include "app_fixture.hpp"

using platform::Format;
using platform::Result;

namespace {

class GraphicsDeviceTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    createMainWindow();
  }

  platform::null::NullGraphicsSystem& graphics() { return backend->graphics; }

  // A failing creation: no device, no scene, not counted, parameters untouched,
  // and `expected` named on stderr.
  void expectFailure(const std::string& expected) {
    testing::internal::CaptureStderr();
    createGraphicsDevice();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(sceneSetUpRuns, 0);
    EXPECT_EQ(deviceCallCount, 0);
    EXPECT_EQ(presentParams.backBufferWidth, 0u);
    EXPECT_NE(err.find(expected), std::string::npos) << err;
  }
};

TEST_F(GraphicsDeviceTest, PresentParametersAreFullScreen1024By768Immediate) {
  createGraphicsDevice();
  ASSERT_NE(device, nullptr);
  const platform::PresentParams& p = nullDevice().params;
  EXPECT_EQ(p.backBufferWidth, 1024u);
  EXPECT_EQ(p.backBufferHeight, 768u);
  EXPECT_EQ(p.backBufferFormat, Format::X8R8G8B8);
  EXPECT_EQ(p.backBufferCount, 0u);
  EXPECT_EQ(p.multiSampleType, 0u);
  EXPECT_EQ(p.swapEffect, 1u);
  EXPECT_EQ(p.deviceWindow, 0u);
  EXPECT_EQ(p.windowed, 0);
  EXPECT_EQ(p.enableAutoDepthStencil, 1);
  EXPECT_EQ(p.autoDepthStencilFormat, Format::D24S8);
  EXPECT_EQ(p.flags, 0u);
  EXPECT_EQ(p.fullScreenRefreshRateInHz, 0u);
  EXPECT_EQ(p.presentationInterval, 0x80000000u);
  EXPECT_EQ(direct3d, &graphics());
  EXPECT_EQ(deviceCallCount, 1);
  EXPECT_EQ(sceneSetUpRuns, 1);
}

TEST_F(GraphicsDeviceTest, PresentsWaitForTheDisplayOnlyWhenItRefreshesSixtyTimesASecond) {
  graphics().displayRefreshRate = 60;
  createGraphicsDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(nullDevice().params.presentationInterval, 1u);
  graphics().displayRefreshRate = 75;
  createGraphicsDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(nullDevice().params.presentationInterval, 0x80000000u);
}

TEST_F(GraphicsDeviceTest, TheDeviceTypeIsAlwaysCheckedForFullScreen) {
  windowedFlag = 1;
  createGraphicsDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(graphics().log.calls()[2].name, "checkDeviceType");
  EXPECT_EQ(graphics().log.calls()[2].args, "22 22 0");
  EXPECT_EQ(graphics().log.calls()[3].args, "22 75");
  EXPECT_EQ(nullDevice().params.windowed, 1);
}

TEST_F(GraphicsDeviceTest, EachFailedAdapterCheckLeavesNoDeviceAndNoScene) {
  graphics().modeCount = 0;
  expectFailure("24-bit colour mode");
  SetUp();
  graphics().enumResult = Result::Failed;
  expectFailure("24-bit colour mode");
  SetUp();
  graphics().deviceTypeResult = Result::Failed;
  expectFailure("full-screen 32-bit colour");
  SetUp();
  graphics().depthStencilResult = Result::Failed;
  expectFailure("24-bit depth and 8-bit stencil");
  SetUp();
  graphics().capsResult = Result::Failed;
  expectFailure("capabilities");
  EXPECT_EQ(graphics().log.count("createDevice"), 0);
}

TEST_F(GraphicsDeviceTest, AFailedCreationRunsNoSceneAndALaterOneDoes) {
  graphics().createFails = true;
  testing::internal::CaptureStderr();
  createGraphicsDevice();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be created"), std::string::npos);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(sceneSetUpRuns, 0);

  graphics().createFails = false;
  createGraphicsDevice();
  EXPECT_NE(device, nullptr);
  EXPECT_EQ(sceneSetUpRuns, 1);
}

TEST_F(GraphicsDeviceTest, OnlyTheFirstCountedCallSetsTheSceneUp) {
  createGraphicsDevice();
  createGraphicsDevice();
  EXPECT_EQ(deviceCallCount, 2);
  EXPECT_EQ(sceneSetUpRuns, 1);
  EXPECT_EQ(device, graphics().device.get());

  releaseGraphicsDevice();
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(direct3d, nullptr);
  EXPECT_EQ(graphics().device, nullptr);
}

}  // namespace
