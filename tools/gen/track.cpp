#include "track.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "circuit.hpp"
#include "rng.hpp"
#include "triangulate.hpp"

namespace {

constexpr double DEG = PI / 180.0;
constexpr double WORLD_MARGIN = 140;  // from the verges to the wall
constexpr double FARMLAND = 7000;     // ground beyond the wall, to the horizon
constexpr double BARRIER_OFFSET = RIBBON_HALF_WIDTH + 2.5;
const V3 UP{0, 1, 0};

V3 at(P2 p, double y = 0) { return {p.x, y, p.z}; }

struct Materials {
  uint32_t road, verge, grass, crops, barrier, wall, bark, leaves, house, barn, roof, fence;
};

// A quad whose corners may come in either order: turned so that its front
// faces along `hint`.
void orientedQuad(GenMesh& m, std::array<V3, 4> p, std::array<std::array<double, 2>, 4> uv,
                  uint32_t mat, V3 hint) {
  if (dot(cross(p[1] - p[0], p[2] - p[0]), hint) < 0) {
    std::swap(p[1], p[3]);
    std::swap(uv[1], uv[3]);
  }
  m.quad(p, uv, mat);
}

void orientedTri(GenMesh& m, std::array<V3, 3> p, std::array<std::array<double, 2>, 3> uv,
                 uint32_t mat, V3 hint) {
  V3 n = normalized(cross(p[1] - p[0], p[2] - p[0]));
  if (dot(n, hint) < 0) {
    std::swap(p[1], p[2]);
    std::swap(uv[1], uv[2]);
    n = n * -1.0;
  }
  uint32_t a = m.vertex(p[0], n, uv[0][0], uv[0][1]);
  uint32_t b = m.vertex(p[1], n, uv[1][0], uv[1][1]);
  uint32_t c = m.vertex(p[2], n, uv[2][0], uv[2][1]);
  m.tri(a, b, c, mat);
}

// Ground triangles, facing up, uv planar in x and z.
void groundPolygon(GenMesh& m, const std::vector<P2>& poly, uint32_t mat, double tile) {
  std::vector<std::array<int, 3>> tris;
  if (!earClip(poly, tris)) std::fprintf(stderr, "gen: a ground polygon could not be cut\n");
  for (const auto& t : tris) {
    // Counter-clockwise on the map is clockwise from above once reversed.
    std::array<P2, 3> c = {poly[t[0]], poly[t[2]], poly[t[1]]};
    uint32_t v[3];
    for (int k = 0; k < 3; ++k) v[k] = m.vertex(at(c[k]), UP, c[k].x / tile, -c[k].z / tile);
    m.tri(v[0], v[1], v[2], mat);
  }
}

// A wall of trapezoid section along a line of points; `lateral` is each
// point's unit vector to the left of the run.
void profileRun(GenMesh& m, const std::vector<P2>& c, const std::vector<P2>& lateral, double baseHw,
                double topHw, double height, uint32_t mat, double uTile) {
  const double vTop = 0.2;
  double u = 0;
  for (size_t i = 0; i + 1 < c.size(); ++i) {
    double u1 = u + length(c[i + 1] - c[i]) / uTile;
    P2 l0 = lateral[i], l1 = lateral[i + 1];
    for (int side = -1; side <= 1; side += 2) {
      V3 b0 = at(c[i] + l0 * (baseHw * side)), b1 = at(c[i + 1] + l1 * (baseHw * side));
      V3 t0 = at(c[i] + l0 * (topHw * side), height),
         t1 = at(c[i + 1] + l1 * (topHw * side), height);
      V3 hint = at(l0 * double(side), 0.5);
      orientedQuad(m, {b0, t0, t1, b1}, {{{u, 1}, {u, vTop}, {u1, vTop}, {u1, 1}}}, mat, hint);
    }
    orientedQuad(m,
                 {at(c[i] + l0 * topHw, height), at(c[i + 1] + l1 * topHw, height),
                  at(c[i + 1] - l1 * topHw, height), at(c[i] - l0 * topHw, height)},
                 {{{u, 0}, {u1, 0}, {u1, vTop}, {u, vTop}}}, mat, UP);
    u = u1;
  }
  // End caps.
  for (int end = 0; end < 2; ++end) {
    size_t i = end ? c.size() - 1 : 0;
    P2 fwd = end ? c[i] - c[i - 1] : c[i] - c[i + 1];
    P2 l = lateral[i];
    orientedQuad(m,
                 {at(c[i] + l * baseHw), at(c[i] + l * topHw, height), at(c[i] - l * topHw, height),
                  at(c[i] - l * baseHw)},
                 {{{0, 1}, {0.1, vTop}, {0.2, vTop}, {0.3, 1}}}, mat, at(fwd));
  }
}

void addRibbon(GenMesh& m, const Materials& mat) {
  const std::vector<double> cuts = sectionDistances(100, 3 * DEG);
  const double offsets[4] = {RIBBON_HALF_WIDTH, ROAD_HALF_WIDTH, -ROAD_HALF_WIDTH,
                             -RIBBON_HALF_WIDTH};
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    double s0 = cuts[i], s1 = cuts[i + 1];
    for (int strip = 0; strip < 3; ++strip) {
      double oa = offsets[strip], ob = offsets[strip + 1];
      V3 a0 = at(circuitPoint(s0, oa)), a1 = at(circuitPoint(s1, oa));
      V3 b0 = at(circuitPoint(s0, ob)), b1 = at(circuitPoint(s1, ob));
      if (strip == 1) {
        // Road: u across (left edge 0), v along, one dash period per 48.
        orientedQuad(m, {a0, a1, b1, b0},
                     {{{0, s0 / 48}, {0, s1 / 48}, {1, s1 / 48}, {1, s0 / 48}}}, mat.road, UP);
      } else {
        // Verge: u runs from the asphalt outward.
        double ua = strip == 0 ? 1 : 0, ub = 1 - ua;
        orientedQuad(m, {a0, a1, b1, b0},
                     {{{ua, s0 / 24}, {ua, s1 / 24}, {ub, s1 / 24}, {ub, s0 / 24}}}, mat.verge, UP);
      }
    }
  }
}

WorldBounds worldBounds() {
  WorldBounds w{1e9, -1e9, 1e9, -1e9};
  for (double s : sectionDistances(20, 1 * DEG)) {
    for (double o : {RIBBON_HALF_WIDTH, -RIBBON_HALF_WIDTH}) {
      P2 p = circuitPoint(s, o);
      w.x0 = std::min(w.x0, p.x);
      w.x1 = std::max(w.x1, p.x);
      w.z0 = std::min(w.z0, p.z);
      w.z1 = std::max(w.z1, p.z);
    }
  }
  w.x0 = std::floor(w.x0 - WORLD_MARGIN);
  w.x1 = std::ceil(w.x1 + WORLD_MARGIN);
  w.z0 = std::floor(w.z0 - WORLD_MARGIN);
  w.z1 = std::ceil(w.z1 + WORLD_MARGIN);
  return w;
}

void addGround(GenMesh& m, const Materials& mat, const WorldBounds& w) {
  std::vector<double> cuts = sectionDistances(100, 3 * DEG);
  cuts.pop_back();  // the last cut is the first again
  std::vector<P2> inner, outer;
  for (double s : cuts) {
    inner.push_back(circuitPoint(s, RIBBON_HALF_WIDTH));
    outer.push_back(circuitPoint(s, -RIBBON_HALF_WIDTH));
  }
  // The infield is on the left of a circuit that turns left overall.
  groundPolygon(m, inner, mat.grass, 96);

  // The outfield, with the ribbon as a hole: cut it in two with bridges from
  // the hole's westmost and eastmost corners to the wall.
  double area = 0;
  for (size_t i = 0; i < outer.size(); ++i) area += cross(outer[i], outer[(i + 1) % outer.size()]);
  if (area < 0) std::reverse(outer.begin(), outer.end());
  size_t west = 0, east = 0;
  for (size_t i = 0; i < outer.size(); ++i) {
    if (outer[i].x < outer[west].x) west = i;
    if (outer[i].x > outer[east].x) east = i;
  }
  const size_t n = outer.size();
  P2 bridgeW{w.x0, outer[west].z}, bridgeE{w.x1, outer[east].z};
  std::vector<P2> north = {bridgeE, {w.x1, w.z1}, {w.x0, w.z1}, bridgeW};
  for (size_t i = west;; i = (i + n - 1) % n) {
    north.push_back(outer[i]);
    if (i == east) break;
  }
  std::vector<P2> south = {bridgeW, {w.x0, w.z0}, {w.x1, w.z0}, bridgeE};
  for (size_t i = east;; i = (i + n - 1) % n) {
    south.push_back(outer[i]);
    if (i == west) break;
  }
  groundPolygon(m, north, mat.crops, 160);
  groundPolygon(m, south, mat.crops, 160);

  // Farmland from the wall to the horizon, in four trapezoids.
  const double F = FARMLAND;
  P2 in[4] = {{w.x0, w.z0}, {w.x1, w.z0}, {w.x1, w.z1}, {w.x0, w.z1}};
  P2 out[4] = {
      {w.x0 - F, w.z0 - F}, {w.x1 + F, w.z0 - F}, {w.x1 + F, w.z1 + F}, {w.x0 - F, w.z1 + F}};
  for (int k = 0; k < 4; ++k) {
    int j = (k + 1) % 4;
    std::array<P2, 4> c = {in[k], out[k], out[j], in[j]};
    std::array<std::array<double, 2>, 4> uv;
    for (int q = 0; q < 4; ++q) uv[q] = {c[q].x / 160, -c[q].z / 160};
    orientedQuad(m, {at(c[0]), at(c[1]), at(c[2]), at(c[3])}, uv, mat.crops, UP);
  }
}

void addBarriers(GenMesh& m, const Materials& mat, std::vector<Obstacle>& obstacles) {
  const Circuit& c = theCircuit();
  const double overrun = 30;
  for (size_t i = 0; i < c.segments.size(); ++i) {
    if (!c.segments[i].arc) continue;
    size_t j = i;
    while (j + 1 < c.segments.size() && c.segments[j + 1].arc) ++j;
    double s0 = std::max(0.0, c.segments[i].start - overrun);
    double s1 = std::min(c.length, c.segments[j].start + c.segments[j].length + overrun);
    std::vector<double> cuts;
    for (double s = s0; s < s1; s += std::min(12.0, 3 * DEG * c.segments[i].radius)) {
      cuts.push_back(s);
    }
    cuts.push_back(s1);
    for (double side : {1.0, -1.0}) {
      std::vector<P2> line, lateral;
      for (double s : cuts) {
        line.push_back(circuitPoint(s, side * BARRIER_OFFSET));
        lateral.push_back(leftOf(circuitHeading(s)));
      }
      profileRun(m, line, lateral, 2.5, 0.9, 3.6, mat.barrier, 12);
      for (size_t k = 0; k + 1 < line.size(); k += 3) {
        obstacles.push_back({(line[k] + line[k + 1]) * 0.5, "barrier"});
      }
    }
    i = j;
  }
}

void addWorldWall(GenMesh& m, const Materials& mat, const WorldBounds& w,
                  std::vector<Obstacle>& obstacles) {
  const double baseHw = 2.5, topHw = 1.2, height = 4.2;
  // The east and west walls stop where the north and south walls' tops begin,
  // so no two top faces overlap.
  struct Run {
    P2 a, b;
  } runs[4] = {{{w.x0, w.z0}, {w.x1, w.z0}},
               {{w.x1, w.z1}, {w.x0, w.z1}},
               {{w.x1, w.z0 + topHw}, {w.x1, w.z1 - topHw}},
               {{w.x0, w.z1 - topHw}, {w.x0, w.z0 + topHw}}};
  for (const Run& r : runs) {
    P2 d = r.b - r.a;
    double len = length(d);
    P2 f = d * (1.0 / len);
    P2 left{-f.z, f.x};
    int n = std::max(1, int(std::ceil(len / 200)));
    std::vector<P2> line, lateral;
    for (int k = 0; k <= n; ++k) {
      line.push_back(r.a + d * (double(k) / n));
      lateral.push_back(left);
    }
    profileRun(m, line, lateral, baseHw, topHw, height, mat.wall, 16);
    for (double t = 0; t <= len; t += 20) obstacles.push_back({r.a + f * t, "wall"});
  }
}

// Things placed on the ground keep clear of each other through this list.
struct Footprint {
  P2 at;
  double radius;
};

bool clear(const std::vector<Footprint>& used, P2 p, double radius) {
  for (const Footprint& f : used) {
    if (length(f.at - p) < f.radius + radius) return false;
  }
  return true;
}

void addBuilding(GenMesh& m, const Materials& mat, P2 c, double yaw, double hx, double hz,
                 double wallH, double roofH, bool barn) {
  P2 ax{std::cos(yaw), std::sin(yaw)}, az{-std::sin(yaw), std::cos(yaw)};
  auto pt = [&](double x, double z, double y) { return at(c + ax * x + az * z, y); };
  uint32_t wallMat = barn ? mat.barn : mat.house;
  const double bay = 12;  // one window bay of the wall texture
  // Walls.
  struct Side {
    double x0, z0, x1, z1;
    P2 out;
  } sides[4] = {{-hx, -hz, hx, -hz, az * -1.0},
                {hx, -hz, hx, hz, ax},
                {hx, hz, -hx, hz, az},
                {-hx, hz, -hx, -hz, ax * -1.0}};
  for (const Side& s : sides) {
    double len = std::hypot(s.x1 - s.x0, s.z1 - s.z0);
    double u = std::max(1.0, std::round(len / bay));
    orientedQuad(
        m, {pt(s.x0, s.z0, 0), pt(s.x0, s.z0, wallH), pt(s.x1, s.z1, wallH), pt(s.x1, s.z1, 0)},
        {{{0, 1}, {0, 0}, {u, 0}, {u, 1}}}, wallMat, at(s.out));
  }
  // Gables at both ends of the ridge (along local x).
  for (double e : {-1.0, 1.0}) {
    orientedTri(m, {pt(e * hx, -hz, wallH), pt(e * hx, hz, wallH), pt(e * hx, 0, wallH + roofH)},
                {{{0, 0.35}, {1, 0.35}, {0.5, 0}}}, wallMat, at(ax * e));
  }
  // Roof, overhanging the walls a little; its underside hides nothing.
  const double over = 1.2;
  double rx = hx + over, rz = hz + over, drop = roofH * over / hz;
  double slope = std::hypot(rz, roofH + drop) / 8;
  for (double e : {-1.0, 1.0}) {
    orientedQuad(m,
                 {pt(-rx, e * rz, wallH - drop), pt(-rx, 0, wallH + roofH),
                  pt(rx, 0, wallH + roofH), pt(rx, e * rz, wallH - drop)},
                 {{{0, slope}, {0, 0}, {2 * rx / 8, 0}, {2 * rx / 8, slope}}}, mat.roof,
                 at(az * e, 1.0));
  }
}

void addTree(GenMesh& m, const Materials& mat, P2 c, double size, bool conifer, double yaw) {
  const double trunkH = 9 * size, rb = 0.9 * size, rt = 0.55 * size;
  for (int k = 0; k < 4; ++k) {
    double a0 = yaw + k * PI / 2, a1 = a0 + PI / 2;
    P2 d0{std::cos(a0), std::sin(a0)}, d1{std::cos(a1), std::sin(a1)};
    P2 mid = (d0 + d1) * 0.5;
    orientedQuad(
        m, {at(c + d0 * rb), at(c + d0 * rt, trunkH), at(c + d1 * rt, trunkH), at(c + d1 * rb)},
        {{{k * 0.25, 1}, {k * 0.25, 0}, {k * 0.25 + 0.25, 0}, {k * 0.25 + 0.25, 1}}}, mat.bark,
        at(mid));
  }
  // Crown: two crossed cards, and a flat one that the car bumps into.
  const double w = (conifer ? 7 : 9) * size, y0 = (conifer ? 2.5 : 5) * size;
  const double h = (conifer ? 24 : 17) * size;
  UvRect r = conifer ? UvRect{0.5, 0, 1, 1} : UvRect{0, 0, 0.5, 1};
  for (int k = 0; k < 2; ++k) {
    double a = yaw + k * PI / 2 + PI / 4;
    P2 d{std::cos(a), std::sin(a)};
    m.quadBothSides(
        {at(c - d * w, y0), at(c - d * w, y0 + h), at(c + d * w, y0 + h), at(c + d * w, y0)},
        uvCorners(r), mat.leaves);
  }
  const double hw = 3.6 * size, yc = (conifer ? 8 : 10) * size;
  P2 e{std::cos(yaw), std::sin(yaw)}, f{-std::sin(yaw), std::cos(yaw)};
  UvRect inner{0.12, 0.25, 0.38, 0.6};
  m.quadBothSides({at(c - e * hw - f * hw, yc), at(c - e * hw + f * hw, yc),
                   at(c + e * hw + f * hw, yc), at(c + e * hw - f * hw, yc)},
                  uvCorners(inner), mat.leaves);
}

// A fence of posts and rails on cut-away cards, with an invisible cap (one
// cut-away texel) wide enough that the car's probes cannot slip through.
void addFence(GenMesh& m, const Materials& mat, const std::vector<P2>& line,
              std::vector<Obstacle>& obstacles, std::vector<Footprint>& used) {
  const double height = 3.6, capHw = 2.0, span = 6;
  const double cu = 2.5 / 128, cv = 1.5 / 64;  // a texel above the top rail
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    P2 a = line[i], b = line[i + 1];
    double len = length(b - a);
    int n = std::max(1, int(std::round(len / span)));
    P2 f = (b - a) * (1.0 / len), l{-f.z, f.x};
    for (int k = 0; k < n; ++k) {
      P2 p0 = a + (b - a) * (double(k) / n), p1 = a + (b - a) * (double(k + 1) / n);
      m.quadBothSides({at(p0), at(p0, height), at(p1, height), at(p1)}, uvCorners({0, 0, 1, 1}),
                      mat.fence);
      orientedQuad(m,
                   {at(p0 + l * capHw, height), at(p1 + l * capHw, height),
                    at(p1 - l * capHw, height), at(p0 - l * capHw, height)},
                   {{{cu, cv}, {cu, cv}, {cu, cv}, {cu, cv}}}, mat.fence, UP);
      P2 mid = (p0 + p1) * 0.5;
      obstacles.push_back({mid, "fence"});
      used.push_back({mid, span * 0.5 + 2});
    }
  }
}

}  // namespace

Track buildTrack() {
  Track t;
  GenMesh& m = t.mesh;
  m.name = "track";
  m.lighting = Lighting::Static;
  m.drawScaleY = 1.2;
  auto tex = [](const char* name, double d) {
    GenMaterial g;
    g.r = g.g = g.b = d;
    g.texture = std::string("Data/") + name + ".png";
    return g;
  };
  Materials mat;
  mat.road = m.addMaterial(tex("road", 1.0));
  mat.verge = m.addMaterial(tex("verge", 1.0));
  mat.grass = m.addMaterial(tex("grass", 1.0));
  mat.crops = m.addMaterial(tex("crops", 1.0));
  mat.barrier = m.addMaterial(tex("barrier", 1.0));
  mat.wall = m.addMaterial(tex("wall", 1.0));
  mat.bark = m.addMaterial(tex("bark", 1.0));
  mat.leaves = m.addMaterial(tex("leaves", 1.0));
  mat.house = m.addMaterial(tex("house", 1.0));
  mat.barn = m.addMaterial(tex("barn", 1.0));
  mat.roof = m.addMaterial(tex("roof", 1.0));
  mat.fence = m.addMaterial(tex("fence", 1.0));

  t.wall = worldBounds();
  addRibbon(m, mat);
  addGround(m, mat, t.wall);
  addBarriers(m, mat, t.obstacles);
  addWorldWall(m, mat, t.wall, t.obstacles);

  std::vector<Footprint> used;
  // Buildings: a garage row beside the start straight, farms in the fields.
  struct Plan {
    double s, offset, yaw, hx, hz, wallH, roofH;
    bool barn;
  } plans[] = {
      {150, -62, PI / 2, 70, 14, 14, 5, false}, {900, 75, 0.2, 22, 14, 13, 8, false},
      {1000, 110, 0.25, 30, 18, 16, 10, true},  {2250, -90, 1.4, 26, 16, 15, 9, true},
      {3400, -80, 2.1, 20, 13, 12, 8, false},   {3800, 95, 0.05, 18, 12, 12, 7, false},
  };
  for (const Plan& p : plans) {
    P2 c = circuitPoint(p.s, p.offset);
    addBuilding(m, mat, c, p.yaw, p.hx, p.hz, p.wallH, p.roofH, p.barn);
    t.obstacles.push_back({c, "building"});
    used.push_back({c, std::hypot(p.hx, p.hz) + 4});
  }

  // Fences along some straights, on the field side.
  struct FencePlan {
    double s0, s1, offset;
  } fences[] = {{800, 1040, 40}, {2800, 3000, -40}, {3660, 3980, 42}, {2120, 2460, 40}};
  for (const FencePlan& f : fences) {
    std::vector<P2> line;
    for (double s = f.s0; s <= f.s1 + 1e-9; s += (f.s1 - f.s0) / 4)
      line.push_back(circuitPoint(s, f.offset));
    addFence(m, mat, line, t.obstacles, used);
  }

  // Trees: groves and single trees, clear of the road, the barriers, the
  // wall and each other.
  Rng rng(0x7EE5);
  const WorldBounds& w = t.wall;
  int placed = 0;
  for (int attempt = 0; attempt < 20000 && placed < 190; ++attempt) {
    P2 p;
    if (placed < 120) {
      // Near the road, where the player sees them.
      double s = rng.range(0, theCircuit().length);
      double side = rng.uniform() < 0.5 ? -1 : 1;
      p = circuitPoint(s, side * rng.range(36, 110));
    } else {
      p = {rng.range(w.x0 + 14, w.x1 - 14), rng.range(w.z0 + 14, w.z1 - 14)};
    }
    double size = rng.range(0.8, 1.25);
    bool conifer = rng.uniform() < 0.35;
    double yaw = rng.range(0, PI);
    if (p.x < w.x0 + 14 || p.x > w.x1 - 14 || p.z < w.z0 + 14 || p.z > w.z1 - 14) continue;
    if (distanceToCentre(p) < 34 + 4 * size) continue;
    if (!clear(used, p, 6 * size)) continue;
    addTree(m, mat, p, size, conifer, yaw);
    t.obstacles.push_back({p, "tree"});
    used.push_back({p, 3 * size});
    ++placed;
  }
  return t;
}
