// The scene set-up: lane files, every slot's model, the title font, the music
// graph, the traffic cars' and the camera's start.
#pragma once

#include <cstdint>

// How many times the scene has been set up in this run (start and resets).
extern int32_t sceneSetUpRuns;

void setUpScene();
