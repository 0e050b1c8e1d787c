#include "sim/scene.hpp"

#include <cmath>

#include "app/frame_driver.hpp"
#include "audio/background_music.hpp"
#include "platform/services.hpp"
#include "render/camera.hpp"
#include "render/graphics_device.hpp"
#include "render/mesh_load.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/game_state.hpp"
#include "sim/lanes.hpp"
#include "sim/traffic.hpp"

int32_t sceneSetUpRuns = 0;

namespace {

void loadModels() {
  loadMeshIntoSlot(SLOT_PLAYER_CAR, "Data/car.x");
  ObjectTable.scaleX[SLOT_PLAYER_CAR] = 1;
  ObjectTable.scaleY[SLOT_PLAYER_CAR] = 1.3f;
  ObjectTable.scaleZ[SLOT_PLAYER_CAR] = 1;
  for (SlotId slot = 3; slot <= 7; ++slot) loadMeshIntoSlot(slot, "Data/sph.x");
  for (SlotId slot = 8; slot <= 12; ++slot) cloneSlot(7, slot);
  loadMeshIntoSlot(SLOT_TRACK, "Data/try.x");
  loadMeshIntoSlot(SLOT_STEERING_WHEEL, "Data/dir.x");
  ObjectTable.scaleX[SLOT_STEERING_WHEEL] = 1;
  ObjectTable.scaleY[SLOT_STEERING_WHEEL] = 1.5f;
  ObjectTable.scaleZ[SLOT_STEERING_WHEEL] = 1;
  loadMeshIntoSlot(SLOT_GAUGE_NEEDLE, "Data/mg.x");
  loadMeshIntoSlot(50, "Data/ford.x");
  loadMeshIntoSlot(51, "Data/honda.x");
  loadMeshIntoSlot(52, "Data/truck1.x");
  loadMeshIntoSlot(53, "Data/oct.x");
  loadMeshIntoSlot(54, "Data/honda2.x");
  // The truck has no twin: the left lane's cars are the ford, honda, oct and
  // honda2 again.
  cloneSlot(50, 55);
  cloneSlot(51, 56);
  cloneSlot(53, 57);
  cloneSlot(54, 58);
  loadMeshIntoSlot(SLOT_SKYBOX, "Data/skybox2.x");
}

void createTitleFont() {
  // Released first, so that a reset does not leak the previous one.
  if (titleFont) device->releaseFont(titleFont);
  titleFont = device->createFont(TITLE_FONT_HEIGHT, TITLE_FONT_WEIGHT, "");
}

template <int32_t Capacity>
void placeCar(int32_t car, const Lane<Capacity>& lane, int32_t waypoint) {
  trafficCars[car].position = {lane.x[waypoint], lane.z[waypoint]};
  trafficCars[car].waypoint = waypoint;
}

void placeTrafficCars() {
  placeCar(0, rightLane, 70);
  placeCar(1, rightLane, 120);
  placeCar(2, rightLane, 20);
  placeCar(3, rightLane, 40);
  placeCar(4, rightLane, 100);
  placeCar(5, leftLane, 80);
  placeCar(6, leftLane, 50);
  placeCar(7, leftLane, 1);
  placeCar(8, leftLane, 20);
}

void placeCamera() {
  const float x = leftLane.x[CAMERA_START_POINT];
  const float z = leftLane.z[CAMERA_START_POINT];
  Camera.eye.x = x;
  Camera.eye.z = z;
  Camera.target = {x, CAMERA_TARGET_HEIGHT, z + CAMERA_TARGET_AHEAD};
  // The car faces the way the camera now looks. The wheel, the needle, the
  // body and the probes are all placed by the heading, so one kept from
  // before a device reset would swing them away from the view and make the
  // probes look for walls where the car is not going.
  carHeading = 0;
}

// The start view runs a little to the left of the car's heading.
void turnCameraAtStart() {
  const double c = std::cos(CAMERA_START_TURN);
  const double s = std::sin(CAMERA_START_TURN);
  const float dx = Camera.target.x - Camera.eye.x;
  const float dz = Camera.target.z - Camera.eye.z;
  Camera.target.x = static_cast<float>(Camera.eye.x + dx * c - dz * s);
  Camera.target.z = static_cast<float>(Camera.eye.z + dx * s + dz * c);
}

}  // namespace

void setUpScene() {
  ++sceneSetUpRuns;
  readLaneFile("L.wp", leftLane);
  readLaneFile("R.wp", rightLane);
  clearColor = {0, 0, 0};
  loadModels();
  createTitleFont();
  startMusic();
  placeTrafficCars();
  placeCamera();
  platform::services().system->showCursor(false);
  turnCameraAtStart();
}

void resetSceneState() { sceneSetUpRuns = 0; }
