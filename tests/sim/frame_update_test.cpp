// The frame update: the title screen, the Enter frame, and the fixed order
// and values of a driving frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/app_state.hpp"
#include "render/camera.hpp"
#include "render/graphics_device.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/frame_update.hpp"
#include "sim/game_state.hpp"
#include "sim/traffic.hpp"
#include "sim_fixture.hpp"

namespace {

using platform::DIK_RETURN;
using platform::null::Call;

// The null device that also keeps the world transform each draw used.
struct DrawRecorder : platform::null::NullDevice {
  std::vector<platform::Matrix> worlds;
  platform::Result drawSubset(platform::MeshHandle mesh, uint32_t subset) override {
    worlds.push_back(world);
    return NullDevice::drawSubset(mesh, subset);
  }
};

class FrameUpdateTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    writeSmallModels();
    writeTrack();
    // Every waypoint 100 to the side of the start point 84 = (0, 0).
    writeLane(
        "L.wp", 85, [](int i) { return i == 84 ? 0 : 100; }, [](int) { return 0; });
    writeLane(
        "R.wp", 120, [](int i) { return 100 + i; }, [](int) { return 0; });
    startGame();
    appState->frameStep = 1;
  }

  // Puts a DrawRecorder, holding all the null device held, in its place.
  DrawRecorder& recordDraws() {
    auto recorder = std::make_unique<DrawRecorder>();
    static_cast<platform::null::NullDevice&>(*recorder) = dev();
    DrawRecorder& r = *recorder;
    b().graphics.device = std::move(recorder);
    device = &r;
    return r;
  }
  // The position the world transform of a draw put the model at.
  static void expectDrawnAt(const char* what, const platform::Matrix& world, float x, float y,
                            float z) {
    EXPECT_NEAR(world.m[3][0], x, 1e-4) << what;
    EXPECT_NEAR(world.m[3][1], y, 1e-4) << what;
    EXPECT_NEAR(world.m[3][2], z, 1e-4) << what;
  }

  std::vector<Call> calls(const std::string& name) {
    std::vector<Call> out;
    for (const Call& c : dev().log.calls())
      if (c.name == name) out.push_back(c);
    return out;
  }
  // Index in the device log of the first call with this name and arguments
  // at or after `from`; the log's size when there is none.
  size_t find(const std::string& name, const std::string& args, size_t from = 0) {
    const auto& log = dev().log.calls();
    for (size_t i = from; i < log.size(); ++i)
      if (log[i].name == name && log[i].args == args) return i;
    return log.size();
  }
};

TEST_F(FrameUpdateTest, TitleScreenDrawsTheThreeTextsAndWaitsForEnter) {
  dev().log.clear();
  frame();
  const std::string font = std::to_string(titleFont);
  const auto texts = calls("drawText");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].args, font + " Z8T Car Riderozad|200 200 1024 768 0 FF646464");
  EXPECT_EQ(texts[1].args, font + " Press ENTER |220 280 1024 768 0 FF646464");
  EXPECT_EQ(texts[2].args, font + "  Dulmar/Tokvane |280 390 1024 768 0 FF8264C8");
  // Nothing else is drawn and nothing of the driving frame runs.
  EXPECT_EQ(dev().log.count("setTransform"), 0);
  EXPECT_EQ(dev().log.count("setRenderState"), 0);
  EXPECT_EQ(GameState, 0);
  EXPECT_EQ(frameCounter, 0);

  // Enter while another window is active leaves the title up.
  b().system.active = false;
  hold(DIK_RETURN);
  frames(3);
  EXPECT_EQ(GameState, 0);
  EXPECT_EQ(frameCounter, 0);
}

TEST_F(FrameUpdateTest, EnterFrameDrawsTheTitleThenAWholeDrivingFrame) {
  hold(DIK_RETURN);
  dev().log.clear();
  frame();
  EXPECT_EQ(GameState, 1);
  EXPECT_EQ(frameCounter, 1);
  const size_t lastText =
      find("drawText", std::to_string(titleFont) + "  Dulmar/Tokvane |280 390 1024 768 0 FF8264C8");
  const size_t firstView = find("setTransform", "2");
  ASSERT_LT(lastText, dev().log.calls().size());
  EXPECT_LT(lastText, firstView);
  EXPECT_LT(firstView, dev().log.calls().size());
  EXPECT_EQ(dev().log.count("setLight"), 4);

  // Enter is not needed any more; the title is never drawn again.
  lift(DIK_RETURN);
  dev().log.clear();
  frame();
  EXPECT_EQ(frameCounter, 2);
  EXPECT_EQ(dev().log.count("drawText"), 0);
}

TEST_F(FrameUpdateTest, LightsViewSpecularAndAlphaStatesInTheirOrder) {
  Camera.eye.y = 0;
  bodyLift = LIFT_HEIGHT;  // as a previous frame's probes would leave it
  hold(DIK_RETURN);
  dev().log.clear();
  frame();
  EXPECT_FLOAT_EQ(Camera.eye.y, 7.38f);  // 0.08 + 7.3

  const auto lights = calls("setLight");
  ASSERT_EQ(lights.size(), 4u);
  EXPECT_EQ(lights[0].args, "0");
  EXPECT_EQ(lights[1].args, "3");
  EXPECT_EQ(lights[2].args, "1");
  EXPECT_EQ(lights[3].args, "2");
  // Lights 0 and 1 shine along (-1, 1, 1)/sqrt 3, lights 2 and 3 the other way.
  const float k = 1 / std::sqrt(3.0f);
  for (int i = 0; i < 4; ++i) {
    const platform::Light& l = dev().lights[i];
    const float s = i < 2 ? 1.0f : -1.0f;
    EXPECT_NEAR(l.direction.x, -s * k, 1e-6) << i;
    EXPECT_NEAR(l.direction.y, s * k, 1e-6) << i;
    EXPECT_NEAR(l.direction.z, s * k, 1e-6) << i;
    EXPECT_FLOAT_EQ(l.diffuse.r, 1);
    EXPECT_FLOAT_EQ(l.diffuse.g, 1);
    EXPECT_FLOAT_EQ(l.diffuse.b, 1);
    EXPECT_TRUE(dev().lightEnabled[i]);
  }
  EXPECT_FLOAT_EQ(lightInputs.dirX[1], -10000);
  EXPECT_FLOAT_EQ(lightInputs.dirZ[3], -100);

  // Specular off after the last light and before any object is drawn.
  const size_t lastLight = find("setLight", "2");
  const size_t specularOff = find("setRenderState", "29 0", lastLight);
  const size_t firstWorld = find("setTransform", "256");
  EXPECT_LT(specularOff, firstWorld);
  EXPECT_EQ(dev().renderStates[29], 0u);

  // The alpha test goes on in its order just before the track, the last
  // object; the track stands at (0, 0.5, 0).
  const size_t enable = find("setRenderState", "15 1");
  const size_t func = find("setRenderState", "25 7", enable);
  const size_t ref = find("setRenderState", "24 200", func);
  ASSERT_LT(ref, dev().log.calls().size());
  EXPECT_EQ(find("setTransform", "256", enable), find("setTransform", "256", ref));
  size_t worlds = 0;
  for (size_t i = ref; i < dev().log.calls().size(); ++i)
    worlds += dev().log.calls()[i].name == "setTransform" && dev().log.calls()[i].args == "256";
  EXPECT_EQ(worlds, 1u);
  EXPECT_FLOAT_EQ(dev().world.m[3][0], 0);
  EXPECT_FLOAT_EQ(dev().world.m[3][1], 0.5f);
  EXPECT_FLOAT_EQ(dev().world.m[3][2], 0);
  EXPECT_FLOAT_EQ(ObjectTable.posY[SLOT_TRACK], 0.5f);
}

TEST_F(FrameUpdateTest, DrawOrderEndsWithTheTrackAndMarkersNeverShow) {
  for (SlotId slot = 3; slot <= 12; ++slot) ObjectTable.hidden[slot] = 0;
  const DrawRecorder& recorder = recordDraws();
  hold(DIK_RETURN);
  dev().log.clear();
  frame();
  for (SlotId slot = 3; slot <= 12; ++slot) EXPECT_EQ(ObjectTable.hidden[slot], 1) << slot;

  // Each visible slot draws its one subset with its (or its source's) mesh.
  auto handle = [](SlotId slot) { return std::to_string(ObjectTable.mesh[slot]->gpu) + " 0"; };
  const std::vector<std::string> expected = {
      handle(333), handle(50), handle(51), handle(52), handle(53), handle(54), handle(50),
      handle(51),  handle(53), handle(54), handle(2),  handle(24), handle(20), handle(25)};
  std::vector<std::string> drawn;
  for (const Call& c : calls("drawSubset")) drawn.push_back(c.args);
  EXPECT_EQ(drawn, expected);
  // 10 markers + sky + 9 cars + body + needle + wheel + track.
  size_t worlds = 0;
  for (const Call& c : calls("setTransform")) worlds += c.args == "256";
  EXPECT_EQ(worlds, 24u);

  // The body, needle and wheel are drawn where this frame places them. The
  // target starts 11 ahead of the eye at (0, 0), turned 0.01 to the left:
  // (-11 sin 0.01, 11 cos 0.01) = (-0.1099982, 10.9994500); heading 0, no
  // lift or tilt yet. Body: 0.8 right and 6.9 back, at height 2.8; needle:
  // 0.49 left and 5.5 back, at 4.8; wheel: 0.6 left and 6 back, at 4.2.
  ASSERT_EQ(recorder.worlds.size(), expected.size());
  expectDrawnAt("body", recorder.worlds[10], 0.6900018f, 2.8f, 4.0994500f);
  expectDrawnAt("needle", recorder.worlds[11], -0.5999982f, 4.8f, 5.4994500f);
  expectDrawnAt("wheel", recorder.worlds[12], -0.7099982f, 4.2f, 4.9994500f);
}

TEST_F(FrameUpdateTest, TrafficStandsStillOnFramesOneToTenThenIsDrawnWhereItMoves) {
  hold(DIK_RETURN);
  frames(10);
  EXPECT_EQ(frameCounter, 10);
  // Car 0 starts on right-lane point 70 = (170, 0); its slot keeps the
  // loaded pose at the origin.
  EXPECT_EQ(trafficCars[0].waypoint, 70);
  EXPECT_FLOAT_EQ(trafficCars[0].position.x, 170);
  EXPECT_FLOAT_EQ(ObjectTable.posX[SLOT_TRAFFIC_FIRST], 0);
  EXPECT_FLOAT_EQ(ObjectTable.posY[SLOT_TRAFFIC_FIRST], 0);
  frame();
  // Frame 11: standing on its target it only takes the next one, and its
  // slot gets its pose at height 3.
  EXPECT_EQ(trafficCars[0].waypoint, 71);
  EXPECT_FLOAT_EQ(ObjectTable.posX[SLOT_TRAFFIC_FIRST], 170);
  EXPECT_FLOAT_EQ(ObjectTable.posY[SLOT_TRAFFIC_FIRST], 3);
  // Frame 12: 1.8 toward point 71 = (171, 0), and drawn there in the same
  // frame (the second object drawn, after the sky).
  DrawRecorder& recorder = recordDraws();
  frame();
  EXPECT_FLOAT_EQ(trafficCars[0].position.x, 171.8f);
  ASSERT_GE(recorder.worlds.size(), 2u);
  expectDrawnAt("traffic car 0", recorder.worlds[1], 171.8f, 3, 0);
}

TEST_F(FrameUpdateTest, NearTestHidesBelowTwentyInTheGroundPlaneOnly) {
  // The body at (12, 16): a car at the origin is exactly 20 away
  // (sqrt(144 + 256)); one at (12, -3.99) is 19.99 away; one at (12, -4)
  // is 20 away again, 100 units lower makes no difference.
  ObjectTable.posX[SLOT_PLAYER_CAR] = 12;
  ObjectTable.posY[SLOT_PLAYER_CAR] = 3;
  ObjectTable.posZ[SLOT_PLAYER_CAR] = 16;
  for (SlotId slot = 50; slot <= 58; ++slot) {
    ObjectTable.posX[slot] = 500;
    ObjectTable.posZ[slot] = 500;
    ObjectTable.hidden[slot] = 1;
  }
  ObjectTable.posX[50] = 0;
  ObjectTable.posZ[50] = 0;
  ObjectTable.posX[51] = 12;
  ObjectTable.posZ[51] = -3.99f;
  ObjectTable.posX[52] = 12;
  ObjectTable.posY[52] = -100;
  ObjectTable.posZ[52] = -4;
  ObjectTable.posX[53] = 12;
  ObjectTable.posY[53] = 100;
  ObjectTable.posZ[53] = 16;
  hideNearTraffic();
  EXPECT_EQ(ObjectTable.hidden[50], 0);
  EXPECT_EQ(ObjectTable.hidden[51], 1);
  EXPECT_EQ(ObjectTable.hidden[52], 0);
  EXPECT_EQ(ObjectTable.hidden[53], 1);
  for (SlotId slot = 54; slot <= 58; ++slot) EXPECT_EQ(ObjectTable.hidden[slot], 0);
}

TEST_F(FrameUpdateTest, NearTestDecidesTheNextFramesDrawing) {
  // Until frame 11 the traffic slots stay at the origin, 4.16 from the body
  // at (0.69, 4.10): frame 1 still draws them (no test has run yet), frames
  // 2 to 11 do not. Frame 11 moves them to their lane points, 100 and more
  // away, so frame 12 draws them again. Each drawn slot is one subset.
  hold(DIK_RETURN);
  std::vector<int> drawn;
  for (int i = 0; i < 12; ++i) {
    dev().log.clear();
    frame();
    drawn.push_back(dev().log.count("drawSubset"));
  }
  EXPECT_EQ(drawn, (std::vector<int>{14, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 14}));
}

}  // namespace
