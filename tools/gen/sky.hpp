// The sky skybox2.x: a tall ring round the world with a cone above and below,
// seen from inside, lit only by its emissive colour.
#pragma once

#include <string>

#include "mesh_builder.hpp"

constexpr double SKY_RADIUS = 30000;

GenMesh buildSky();
bool writeSky(const std::string& dataDir);
