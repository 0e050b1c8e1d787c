#include "sim/recorder.hpp"

#include <cstdint>
#include <limits>

#include "app/keyboard_input.hpp"
#include "render/object_table.hpp"
#include "sim/lanes.hpp"

float recordedX[RECORD_CAPACITY]{};
float recordedZ[RECORD_CAPACITY]{};
int32_t recordCountdown = RECORD_COUNTDOWN_START;

void updateRecorder() {
  if (!isKeyDown(platform::DIK_SPACE)) {
    recordCountdown = RECORD_COUNTDOWN_START;
    return;
  }
  // Held for ever, the countdown rests at its floor instead of wrapping.
  if (recordCountdown > std::numeric_limits<int32_t>::min()) --recordCountdown;
  if (recordCountdown != RECORD_COUNTDOWN_START - 1) return;
  int32_t& fill = leftLane.lastIndex;
  if (fill < 0 || fill >= RECORD_CAPACITY) return;
  recordedX[fill] = ObjectTable.posX[SLOT_PLAYER_CAR];
  recordedZ[fill] = ObjectTable.posZ[SLOT_PLAYER_CAR];
  ++fill;
}

void resetRecorderState() {
  for (float& v : recordedX) v = 0;
  for (float& v : recordedZ) v = 0;
  recordCountdown = RECORD_COUNTDOWN_START;
}
