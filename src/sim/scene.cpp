#include "sim/scene.hpp"

int32_t sceneSetUpRuns = 0;

void setUpScene() { ++sceneSetUpRuns; }
