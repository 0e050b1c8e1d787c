// The circuit: a closed centre line of straights and arcs on the ground map
// (x east, z north; heading 0 faces +z, positive turns go left), and the two
// lanes that run along it in the same direction.
#pragma once

#include <vector>

#include "vec.hpp"

constexpr double LANE_OFFSET = 6.0;       // lane centres either side of the centre line
constexpr double ROAD_HALF_WIDTH = 12.0;  // asphalt
constexpr double VERGE_WIDTH = 6.0;       // drivable gravel and grass beside it
constexpr double RIBBON_HALF_WIDTH = ROAD_HALF_WIDTH + VERGE_WIDTH;

constexpr int LEFT_LANE_SEGMENTS = 85;    // L.wp holds 86 points
constexpr int RIGHT_LANE_SEGMENTS = 120;  // R.wp holds 121 points

struct Segment {
  bool arc = false;
  double length = 0;  // along the centre line
  double turn = 0;    // radians, positive to the left (arcs)
  double radius = 0;  // of the centre line (arcs)
  double start = 0;   // distance along the circuit where it begins
  P2 origin;          // first point
  double heading = 0;
};

struct Circuit {
  std::vector<Segment> segments;
  double length = 0;
};

inline P2 forwardOf(double heading) { return {-std::sin(heading), std::cos(heading)}; }
inline P2 leftOf(double heading) { return {-std::cos(heading), -std::sin(heading)}; }

// The one circuit of the game, built on first use.
const Circuit& theCircuit();
// Point at distance s along the centre line, moved `offset` to the left.
P2 circuitPoint(double s, double offset = 0);
double circuitHeading(double s);
// Distances along the circuit at which the ribbon of the track is cut, from 0
// to the full length, close enough that chords follow the arcs.
std::vector<double> sectionDistances(double maxStraightStep, double maxArcAngle);
// Smallest distance from p to the centre line.
double distanceToCentre(P2 p);

struct LanePoints {
  std::vector<P2> points;  // the last equals the first
};
// A lane `offset` to the left of the centre line, cut into `segments` chords
// that start at distance 0.
LanePoints buildLane(double offset, int segments);
// Largest distance between a lane's chords and the true lane line.
double laneChordDeviation(double offset, const LanePoints& lane);
