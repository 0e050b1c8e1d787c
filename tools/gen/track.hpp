// The track mesh try.x: the road ribbon with its verges, the fields that fill
// the ground between, barriers at the bends, a wall round the world, trees,
// buildings and fences. Ground is at model height 0 everywhere.
#pragma once

#include <string>
#include <vector>

#include "mesh_builder.hpp"

// Where something stands that the car must not drive through.
struct Obstacle {
  P2 at;
  std::string kind;  // "barrier", "wall", "tree", "building", "fence"
};

// The centre line of the wall round the world.
struct WorldBounds {
  double x0, x1, z0, z1;
};

struct Track {
  GenMesh mesh;
  std::vector<Obstacle> obstacles;
  WorldBounds wall;
};

constexpr double OBSTACLE_MIN_HEIGHT = 3.0;

Track buildTrack();
