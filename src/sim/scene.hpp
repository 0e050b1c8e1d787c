// The scene set-up: lane files, every slot's model, the title font, the music
// graph, the traffic cars' and the camera's start.
#pragma once

#include <cstdint>

// How many times the scene has been set up in this run (start and resets).
extern int32_t sceneSetUpRuns;

constexpr int32_t CAMERA_START_POINT = 84;  // left-lane point the camera starts at
constexpr float CAMERA_TARGET_HEIGHT = 4.1f;
constexpr float CAMERA_TARGET_AHEAD = 11.0f;
constexpr double CAMERA_START_TURN = 0.01;  // radians to the left
constexpr int32_t TITLE_FONT_HEIGHT = 62;
constexpr uint32_t TITLE_FONT_WEIGHT = 400;

// Runs at the first device creation and after every device reset. The game
// state and the driving values keep theirs, but for the heading, which goes
// back to 0 with the camera.
void setUpScene();
void resetSceneState();
