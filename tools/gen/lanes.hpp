// The lane files L.wp and R.wp: the index of the last point, then x and z of
// every point, one number per line.
#pragma once

#include <string>

#include "circuit.hpp"

LanePoints leftLanePoints();
LanePoints rightLanePoints();
bool writeLaneFile(const std::string& path, const LanePoints& lane);
bool writeLanes(const std::string& runDir);
