// The game state (title screen or driving), the driving frame count and the
// title screen's font.
#pragma once

#include <cstdint>

#include "platform/graphics.hpp"

constexpr int32_t GAME_STATE_TITLE = 0;
constexpr int32_t GAME_STATE_DRIVING = 1;

// 0 on the title screen, 1 from the frame on which Enter is seen; never back.
extern int32_t GameState;
// Driving frames so far, 1 on the frame on which Enter is seen; a device
// reset does not touch it.
extern int32_t frameCounter;
// Made anew by every scene set-up; 0 before the first.
extern platform::FontHandle titleFont;

void resetGameState();
