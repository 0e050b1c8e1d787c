// The scenery textures of the track, painted from noise. Shading is in the
// paint: the game's lights leave most faces at their full diffuse colour.
#pragma once

#include <string>

// Writes Data/road.png, verge, grass, crops, barrier, wall, bark, leaves,
// house, barn, roof and fence into `dataDir`.
bool writeSceneryTextures(const std::string& dataDir);
