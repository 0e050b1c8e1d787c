// The player's car seen from inside (car.x), the steering wheel (dir.x), the
// speedometer needle (mg.x) and the probe marker (sph.x), with textures.
#pragma once

#include <string>

#include "mesh_builder.hpp"

// Where the game puts the driver's eye in the body's own space, and the dial.
constexpr double EYE_X = 0.8, EYE_Y = 3.46, EYE_Z = 4.1;
constexpr double DIAL_X = 1.29, DIAL_Y = 1.54, DIAL_Z = -1.52;
constexpr double DIAL_RADIUS = 0.75;  // as seen, in world units
constexpr double BODY_SCALE_Y = 1.3;  // the game's y scale of the body
// The needle's roll at rest and at full speed (radians).
constexpr double NEEDLE_REST = 2.617993950843811;
constexpr double NEEDLE_FULL = NEEDLE_REST - 1.5;

GenMesh buildCockpitBody();
GenMesh buildSteeringWheel();
GenMesh buildNeedle();
GenMesh buildMarker();
// The angle (counter-clockwise from the driver's right) at which the needle is
// seen at roll `roll`, once the game has stretched it by its y scale 1.2.
double seenNeedleAngle(double roll);

bool writeCockpit(const std::string& dataDir);
