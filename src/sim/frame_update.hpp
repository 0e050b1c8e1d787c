// The per-frame game logic: the title screen, then one driving frame per call.
#pragma once

#include <cstdint>

#include "render/object_table.hpp"

struct TitleText {
  const char* text;
  int32_t left;
  int32_t top;
  uint32_t argb;
};

constexpr uint32_t TITLE_GREY = 0xFF646464;
constexpr uint32_t TITLE_VIOLET = 0xFF8264C8;
// Drawn in this order; each rectangle runs to the back buffer's far corner.
// The blanks belong to the texts.
constexpr TitleText TITLE_TEXTS[3] = {
    {"Z8T Car Riderozad", 200, 200, TITLE_GREY},
    {"Press ENTER ", 220, 280, TITLE_GREY},
    {" Dulmar/Tokvane ", 280, 390, TITLE_VIOLET},
};

constexpr double EYE_HEIGHT = 7.3;      // above bodyLift
constexpr float NEAR_DISTANCE = 20.0f;  // in the ground plane

struct LightSetting {
  float r, g, b;
  float dirX, dirY, dirZ;
};
// Lights 0 to 3 by index; set in the order LIGHT_ORDER.
constexpr LightSetting LIGHT_TABLE[4] = {
    {1, 1, 1, -100, 100, 100},
    {1, 1, 1, -10000, 10000, 10000},
    {1, 1, 1, 10000, -10000, -10000},
    {1, 1, 1, 100, -100, -100},
};
constexpr int LIGHT_ORDER[4] = {0, 3, 1, 2};
constexpr uint32_t TRACK_ALPHA_REF = 200;
constexpr int32_t TRAFFIC_START_FRAME = 11;  // first driving frame that moves the traffic

void updateFrame();
// Hides each traffic car closer than NEAR_DISTANCE to the car body (x and z
// only), shows it again from that distance on.
void hideNearTraffic();
