// Ear clipping for the simple polygons of the ground between the roads.
#pragma once

#include <array>
#include <vector>

#include "vec.hpp"

// Triangles of a simple polygon, as indices into `poly`, each counter-
// clockwise on the map. Collinear corners are dropped without a triangle.
// False when the polygon is not simple enough to cut (then `out` is partial).
bool earClip(const std::vector<P2>& poly, std::vector<std::array<int, 3>>& out);
