#include "circuit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

P2 circuitPointOn(const Circuit& c, double s);

namespace {

struct Piece {
  bool arc;
  double a;  // straight: length; arc: turn in degrees
  double r;  // arc radius
};

constexpr double DEG = PI / 180.0;
constexpr double CLOSING_STRAIGHT = 320;

// The map, counter-clockwise overall with a right-hand S and a right kink.
// Pieces 5 and 10 are stretched so that the loop closes on itself.
const Piece PIECES[] = {
    {false, 360, 0},
    {true, 90, 250},
    {false, 320, 0},
    {true, -70, 230},
    {true, 160, 260},
    {false, 0, 0},
    {true, 50, 300},
    {false, 260, 0},
    {true, -50, 240},
    {true, 90, 250},
    {false, 0, 0},
    {true, 90, 260},
    {false, CLOSING_STRAIGHT, 0},
};
constexpr int STRETCH_A = 5;   // runs south
constexpr int STRETCH_B = 10;  // runs east

Segment advance(const Piece& p, P2& at, double& heading, double& s) {
  Segment g;
  g.arc = p.arc;
  g.origin = at;
  g.heading = heading;
  g.start = s;
  if (p.arc) {
    g.turn = p.a * DEG;
    g.radius = p.r;
    g.length = std::fabs(g.turn) * p.r;
    double side = g.turn > 0 ? 1.0 : -1.0;
    P2 centre = at + leftOf(heading) * (p.r * side);
    heading += g.turn;
    at = centre - leftOf(heading) * (p.r * side);
  } else {
    g.length = p.a;
    at = at + forwardOf(heading) * p.a;
  }
  s += g.length;
  return g;
}

Circuit layOut(double stretchA, double stretchB) {
  Circuit c;
  P2 at{0, 0};
  double heading = 0, s = 0;
  for (int i = 0; i < int(std::size(PIECES)); ++i) {
    Piece p = PIECES[i];
    if (i == STRETCH_A) p.a = stretchA;
    if (i == STRETCH_B) p.a = stretchB;
    c.segments.push_back(advance(p, at, heading, s));
  }
  c.length = s;
  return c;
}

Circuit buildCircuit() {
  // The end point moves linearly with the two stretch lengths: solve for the
  // lengths that bring it back to the start.
  Circuit zero = layOut(0, 0);
  P2 end0 = circuitPointOn(zero, zero.length);
  P2 dirA = forwardOf(zero.segments[STRETCH_A].heading);
  P2 dirB = forwardOf(zero.segments[STRETCH_B].heading);
  double det = cross(dirA, dirB);
  P2 need = P2{0, 0} - end0;
  double a = cross(need, dirB) / det;
  double b = cross(dirA, need) / det;
  return layOut(a, b);
}

}  // namespace

P2 circuitPointOn(const Circuit& c, double s) {
  const Segment* g = &c.segments.front();
  for (const Segment& seg : c.segments) {
    if (seg.start <= s) g = &seg;
  }
  double d = std::clamp(s - g->start, 0.0, g->length);
  if (!g->arc) return g->origin + forwardOf(g->heading) * d;
  double side = g->turn > 0 ? 1.0 : -1.0;
  P2 centre = g->origin + leftOf(g->heading) * (g->radius * side);
  double h = g->heading + side * d / g->radius;
  return centre - leftOf(h) * (g->radius * side);
}

const Circuit& theCircuit() {
  static const Circuit c = buildCircuit();
  return c;
}

double circuitHeading(double s) {
  const Circuit& c = theCircuit();
  const Segment* g = &c.segments.front();
  for (const Segment& seg : c.segments) {
    if (seg.start <= s) g = &seg;
  }
  double d = std::clamp(s - g->start, 0.0, g->length);
  return g->arc ? g->heading + (g->turn > 0 ? 1 : -1) * d / g->radius : g->heading;
}

P2 circuitPoint(double s, double offset) {
  const Circuit& c = theCircuit();
  if (s >= c.length) s = c.length;
  return circuitPointOn(c, s) + leftOf(circuitHeading(s)) * offset;
}

std::vector<double> sectionDistances(double maxStraightStep, double maxArcAngle) {
  std::vector<double> out;
  for (const Segment& g : theCircuit().segments) {
    double step = g.arc ? maxArcAngle * g.radius : maxStraightStep;
    int n = std::max(1, int(std::ceil(g.length / step - 1e-9)));
    for (int k = 0; k < n; ++k) out.push_back(g.start + g.length * k / n);
  }
  out.push_back(theCircuit().length);
  return out;
}

double distanceToCentre(P2 p) {
  static const std::vector<P2> line = [] {
    std::vector<P2> pts;
    for (double s : sectionDistances(4.0, 1.0 * DEG)) pts.push_back(circuitPoint(s));
    return pts;
  }();
  double best = std::numeric_limits<double>::max();
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    P2 a = line[i], ab = line[i + 1] - a;
    double t = std::clamp(dot(p - a, ab) / std::max(1e-12, dot(ab, ab)), 0.0, 1.0);
    best = std::min(best, length(p - (a + ab * t)));
  }
  return best;
}

LanePoints buildLane(double offset, int segments) {
  // A car drives straight from point to point, so each arc needs chords short
  // enough that their sagitta stays well inside the lane; straights take what
  // is left, up to 80 apart. Extra points go where the chords are longest
  // against what their piece allows.
  const Circuit& c = theCircuit();
  const double maxSag = 1.6, maxStraight = 78.0;
  struct Share {
    double laneLength, limit;
    int count;
  };
  std::vector<Share> shares;
  for (const Segment& g : c.segments) {
    Share sh;
    if (g.arc) {
      double rho = g.radius - offset * (g.turn > 0 ? 1 : -1);
      sh.laneLength = std::fabs(g.turn) * rho;
      sh.limit = std::min(maxStraight, std::sqrt(8.0 * rho * maxSag));
    } else {
      sh.laneLength = g.length;
      sh.limit = maxStraight;
    }
    sh.count = std::max(1, int(std::ceil(sh.laneLength / sh.limit)));
    shares.push_back(sh);
  }
  int used = 0;
  for (const Share& sh : shares) used += sh.count;
  while (used < segments) {
    size_t pick = 0;
    double worst = -1;
    for (size_t i = 0; i < shares.size(); ++i) {
      double r = shares[i].laneLength / shares[i].count / shares[i].limit;
      if (r > worst + 1e-12) {
        worst = r;
        pick = i;
      }
    }
    ++shares[pick].count;
    ++used;
  }
  // Too few points for the limits: the caller's tests report it; cut anyway.
  while (used > segments) {
    size_t pick = 0;
    for (size_t i = 0; i < shares.size(); ++i)
      if (shares[i].count > shares[pick].count) pick = i;
    --shares[pick].count;
    --used;
  }
  LanePoints lane;
  for (size_t i = 0; i < shares.size(); ++i) {
    const Segment& g = c.segments[i];
    for (int k = 0; k < shares[i].count; ++k) {
      lane.points.push_back(circuitPoint(g.start + g.length * k / shares[i].count, offset));
    }
  }
  lane.points.push_back(lane.points.front());
  return lane;
}

double laneChordDeviation(double offset, const LanePoints& lane) {
  double worst = 0;
  for (double s : sectionDistances(2.0, 0.25 * DEG)) {
    P2 p = circuitPoint(s, offset);
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i + 1 < lane.points.size(); ++i) {
      P2 a = lane.points[i], ab = lane.points[i + 1] - a;
      double t = std::clamp(dot(p - a, ab) / std::max(1e-12, dot(ab, ab)), 0.0, 1.0);
      best = std::min(best, length(p - (a + ab * t)));
    }
    worst = std::max(worst, best);
  }
  return worst;
}
