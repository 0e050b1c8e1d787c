// The five traffic car models (ford, honda, truck1, oct, honda2) and their
// textures. Own space: front toward -z, left toward +x, y up; the wheels
// touch the road at y -2.08 when drawn at height 3 with y scale 1.2.
#pragma once

#include <string>

#include "mesh_builder.hpp"

constexpr double WHEEL_BOTTOM = -2.08;

// Builds the model named `name` ("ford", ...). False for an unknown name.
bool buildCar(const std::string& name, GenMesh& out);
// Writes Data/NAME.x and Data/NAME.png for all five.
bool writeCars(const std::string& dataDir);
