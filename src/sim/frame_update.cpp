#include "sim/frame_update.hpp"

#include <cmath>
#include <cstring>
#include <limits>

#include "app/keyboard_input.hpp"
#include "audio/background_music.hpp"
#include "render/camera.hpp"
#include "render/draw.hpp"
#include "render/graphics_device.hpp"
#include "sim/driving.hpp"
#include "sim/game_state.hpp"
#include "sim/probes.hpp"
#include "sim/recorder.hpp"
#include "sim/traffic.hpp"

namespace {

void drawTitleScreen() {
  for (const TitleText& t : TITLE_TEXTS) {
    const platform::Rect rect{t.left, t.top, static_cast<int32_t>(backBufferWidth),
                              static_cast<int32_t>(backBufferHeight)};
    device->drawText(titleFont, t.text, static_cast<int32_t>(std::strlen(t.text)), rect,
                     platform::TEXT_LEFT_TOP, t.argb);
  }
}

void setLights() {
  for (int index : LIGHT_ORDER) {
    const LightSetting& l = LIGHT_TABLE[index];
    lightInputs.diffuseR[index] = l.r;
    lightInputs.diffuseG[index] = l.g;
    lightInputs.diffuseB[index] = l.b;
    lightInputs.dirX[index] = l.dirX;
    lightInputs.dirY[index] = l.dirY;
    lightInputs.dirZ[index] = l.dirZ;
    setDirectionalLight(index);
  }
}

void drawScene() {
  using platform::RenderState;
  // The probe markers only set their transform.
  for (SlotId slot = 3; slot <= 12; ++slot) {
    ObjectTable.hidden[slot] = 1;
    drawSlot(slot);
  }
  drawSlot(SLOT_SKYBOX);
  for (SlotId slot = SLOT_TRAFFIC_FIRST; slot < SLOT_TRAFFIC_FIRST + TRAFFIC_CAR_COUNT; ++slot)
    drawSlot(slot);
  drawSlot(SLOT_PLAYER_CAR);
  drawSlot(SLOT_GAUGE_NEEDLE);
  drawSlot(SLOT_STEERING_WHEEL);
  // Cuts away the colour-keyed parts of the track; left on, so from the next
  // frame on it governs everything drawn.
  device->setRenderState(RenderState::AlphaTestEnable, 1);
  device->setRenderState(RenderState::AlphaFunc, platform::CMP_GREATEREQUAL);
  device->setRenderState(RenderState::AlphaRef, TRACK_ALPHA_REF);
  // Drawn last: the probes pick through the track's world transform.
  ObjectTable.posX[SLOT_TRACK] = 0;
  ObjectTable.posY[SLOT_TRACK] = 0.5f;
  ObjectTable.posZ[SLOT_TRACK] = 0;
  drawSlot(SLOT_TRACK);
}

void runDrivingFrame() {
  if (frameCounter < std::numeric_limits<int32_t>::max()) ++frameCounter;
  if (mediaControl) mediaControl->run();
  Camera.eye.y = static_cast<float>(bodyLift + EYE_HEIGHT);
  setViewAndProjection();
  setLights();
  device->setRenderState(platform::RenderState::SpecularEnable, 0);
  if (frameCounter >= TRAFFIC_START_FRAME) updateTraffic();
  placeCarModels();
  drawScene();
  placeProbes();
  testProbes();
  updateBodyAttitude();
  hideNearTraffic();
  driveStep();
  updateRecorder();
}

}  // namespace

void hideNearTraffic() {
  const float carX = ObjectTable.posX[SLOT_PLAYER_CAR];
  const float carZ = ObjectTable.posZ[SLOT_PLAYER_CAR];
  for (SlotId slot = SLOT_TRAFFIC_FIRST; slot < SLOT_TRAFFIC_FIRST + TRAFFIC_CAR_COUNT; ++slot) {
    const float dx = ObjectTable.posX[slot] - carX;
    const float dz = ObjectTable.posZ[slot] - carZ;
    ObjectTable.hidden[slot] = std::sqrt(dx * dx + dz * dz) < NEAR_DISTANCE ? 1 : 0;
  }
}

void updateFrame() {
  if (GameState == GAME_STATE_TITLE) {
    drawTitleScreen();
    if (!isKeyDown(platform::DIK_RETURN)) return;
    GameState = GAME_STATE_DRIVING;
  }
  runDrivingFrame();
}
