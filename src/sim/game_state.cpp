#include "sim/game_state.hpp"

int32_t GameState = GAME_STATE_TITLE;
int32_t frameCounter = 0;
platform::FontHandle titleFont = 0;

void resetGameState() {
  GameState = GAME_STATE_TITLE;
  frameCounter = 0;
  titleFont = 0;
}
