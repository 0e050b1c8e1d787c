#include "cars.hpp"

#include <algorithm>
#include <cmath>

#include "image.hpp"
#include "solids.hpp"
#include "xwriter.hpp"

namespace {

struct CarSpec {
  const char* name;
  Rgb paint;
  double length, halfWidth;
  double noseTop, belt, tailTop, roof;
  // z of the cabin: windscreen foot, roof front, roof rear, rear window foot.
  double screenBase, roofFront, roofRear, rearBase;
  double roofInset, wheelBase;
  bool truck;  // a cargo box behind the cab
  double cargoFront, cargoTop;
  Rgb cargo;
};

const CarSpec CARS[] = {
    {"ford",
     {44, 74, 156},
     15.2,
     3.7,
     0.7,
     1.3,
     1.2,
     3.2,
     -2.8,
     -0.8,
     3.6,
     5.3,
     0.55,
     9.2,
     false,
     0,
     0,
     {}},
    {"honda",
     {186, 34, 32},
     14.2,
     3.6,
     0.8,
     1.3,
     1.3,
     3.4,
     -3.0,
     -1.0,
     5.9,
     7.1,
     0.5,
     8.8,
     false,
     0,
     0,
     {}},
    {"truck1",
     {40, 118, 70},
     16.0,
     3.9,
     1.0,
     1.4,
     1.4,
     3.6,
     -7.6,
     -6.8,
     -3.6,
     -3.4,
     0.35,
     10.4,
     true,
     -3.2,
     5.2,
     {222, 222, 214}},
    {"oct",
     {208, 208, 202},
     15.4,
     3.8,
     0.9,
     1.3,
     1.3,
     4.4,
     -5.2,
     -3.4,
     7.5,
     7.7,
     0.3,
     9.6,
     false,
     0,
     0,
     {}},
    {"honda2",
     {222, 178, 40},
     14.6,
     3.65,
     0.6,
     1.2,
     1.2,
     3.1,
     -2.6,
     -0.4,
     5.0,
     7.3,
     0.55,
     9.0,
     false,
     0,
     0,
     {}},
};

constexpr double BODY_BOTTOM = -1.5;
constexpr double WHEEL_RADIUS = 1.3;
constexpr double Y_MIN = -2.1;

double yMax(const CarSpec& c) { return c.truck ? std::max(c.roof, c.cargoTop) : c.roof; }

// Atlas regions: side view across the top half; top view, front view, back
// view and the wheel in the bottom half.
struct Atlas {
  const CarSpec& c;
  std::array<double, 2> side(double z, double y) const {
    return {(z + c.length / 2) / c.length, 0.5 * (yMax(c) - y) / (yMax(c) - Y_MIN)};
  }
  std::array<double, 2> top(double z, double x) const {
    return {0.5 * (z + c.length / 2) / c.length, 0.5 + 0.5 * (x + c.halfWidth) / (2 * c.halfWidth)};
  }
  std::array<double, 2> front(double x, double y) const {
    return {0.5 + 0.25 * (x + c.halfWidth) / (2 * c.halfWidth),
            0.5 + 0.25 * (yMax(c) - y) / (yMax(c) - Y_MIN)};
  }
  std::array<double, 2> back(double x, double y) const {
    return {0.75 + 0.25 * (c.halfWidth - x) / (2 * c.halfWidth),
            0.5 + 0.25 * (yMax(c) - y) / (yMax(c) - Y_MIN)};
  }
  std::array<double, 2> at(int face, V3 p) const {
    switch (face) {
      case 0:
      case 1:
        return side(p.z, p.y);
      case 3:
        return top(p.z, p.x);
      case 4:
        return front(p.x, p.y);
      case 5:
        return back(p.x, p.y);
      default:
        return {0.9, 0.97};  // underside: tyre black
    }
  }
};

constexpr UvRect TREAD{0.5, 0.75, 0.75, 1.0};
constexpr UvRect HUB{0.75, 0.75, 1.0, 1.0};

std::array<V3, 8> hexa(double x0, double x1, double y0, double z0, double z1, double yTop0,
                       double yTop1, double inset) {
  // Bottom at y0; top rises from yTop0 (at z0) to yTop1 (at z1), narrowed by inset.
  return {{{x0, y0, z0},
           {x1, y0, z0},
           {x0 + inset, yTop0, z0},
           {x1 - inset, yTop0, z0},
           {x0, y0, z1},
           {x1, y0, z1},
           {x0 + inset, yTop1, z1},
           {x1 - inset, yTop1, z1}}};
}

void buildFromSpec(const CarSpec& c, GenMesh& m) {
  m.name = c.name;
  m.lighting = Lighting::Upright;
  m.drawScaleY = 1.2;
  GenMaterial g;
  g.r = g.g = g.b = 1.0;
  g.texture = std::string("Data/") + c.name + ".png";
  uint32_t mat = m.addMaterial(g);
  Atlas atlas{c};
  FaceUv uv = [&](int f, V3 p) { return atlas.at(f, p); };
  const double w = c.halfWidth, L2 = c.length / 2;
  // Lower body: bonnet part and rear part; the inner faces between them are left out.
  const uint32_t SKIP_BOTTOM = 1u << 2, SKIP_FRONT = 1u << 4, SKIP_BACK = 1u << 5;
  addHexahedron(m, hexa(-w, w, BODY_BOTTOM, -L2, c.screenBase, c.noseTop, c.belt, 0.25), mat, uv,
                SKIP_BOTTOM | SKIP_BACK);
  double rearEnd = c.truck ? c.cargoFront : L2;
  addHexahedron(m, hexa(-w, w, BODY_BOTTOM, c.screenBase, rearEnd, c.belt, c.tailTop, 0.25), mat,
                uv, SKIP_BOTTOM | SKIP_FRONT | (c.truck ? SKIP_BACK : 0));
  // Cabin: its foot at the belt line, its roof narrower and shorter.
  const double wb = w - 0.25, wt = w - c.roofInset;
  std::array<V3, 8> cab = {{{-wb, c.belt, c.screenBase},
                            {wb, c.belt, c.screenBase},
                            {-wt, c.roof, c.roofFront},
                            {wt, c.roof, c.roofFront},
                            {-wb, c.belt, c.rearBase},
                            {wb, c.belt, c.rearBase},
                            {-wt, c.roof, c.roofRear},
                            {wt, c.roof, c.roofRear}}};
  addHexahedron(m, cab, mat, uv, SKIP_BOTTOM);
  if (c.truck) {
    addHexahedron(m, hexa(-w, w, BODY_BOTTOM + 0.3, c.cargoFront, L2, c.cargoTop, c.cargoTop, 0),
                  mat, uv, SKIP_BOTTOM);
  }
  // Wheels, just inside the body's sides.
  const double wy = WHEEL_BOTTOM + WHEEL_RADIUS;
  for (double z : {-c.wheelBase / 2, c.wheelBase / 2}) {
    for (double side : {-1.0, 1.0}) {
      double xo = side * (w - 0.1), xi = side * (w - 1.1);
      addWheel(m, std::min(xo, xi), std::max(xo, xi), wy, z, WHEEL_RADIUS, 10, mat, TREAD, HUB);
    }
  }
}

Rgb glass(double t) {
  // Sky reflected at the top, the dark interior below.
  return mix(Rgb{150, 176, 196}, Rgb{40, 52, 64}, std::clamp(t, 0.0, 1.0));
}

Image paintCar(const CarSpec& c) {
  Image im(256, 256);
  const double w = c.halfWidth, L2 = c.length / 2, ym = yMax(c);
  Rgb paint = c.paint;
  auto body = [&](double y, double n) {
    // Lighter toward the shoulder, darker toward the sill.
    double t = (y - BODY_BOTTOM) / (c.belt - BODY_BOTTOM);
    return scale(paint, 0.72 + 0.38 * std::clamp(t, 0.0, 1.0) + 0.05 * (n - 0.5));
  };
  for (int py = 0; py < 256; ++py) {
    for (int px = 0; px < 256; ++px) {
      double u = (px + 0.5) / 256, v = (py + 0.5) / 256;
      double n = hash01(px, py, 5);
      Rgb col;
      if (v < 0.5) {
        // Side view.
        double z = u * c.length - L2, y = ym - (v / 0.5) * (ym - Y_MIN);
        bool cargo = c.truck && z > c.cargoFront;
        col = body(y, n);
        if (y > c.belt) {
          double t = (y - c.belt) / (c.roof - c.belt);
          double zf = c.screenBase + (c.roofFront - c.screenBase) * t + 0.45;
          double zr = c.rearBase + (c.roofRear - c.rearBase) * t - 0.45;
          bool window = y > c.belt + 0.2 && y < c.roof - 0.2 && z > zf && z < zr;
          double mid = c.truck ? 1e9 : (c.screenBase + c.rearBase) / 2;
          if (window && std::fabs(z - mid) > 0.25)
            col = glass(t * 1.3);
          else
            col = scale(paint, 0.9);
        }
        if (cargo) {
          col = scale(c.cargo, 0.85 + 0.15 * (y - Y_MIN) / (ym - Y_MIN));
          if (y > 2.0 && y < 3.0) col = scale(c.paint, 1.1);
          if (std::fmod(z - c.cargoFront, 2.6) < 0.08) col = scale(col, 0.8);
        }
        if (!cargo && y < c.belt && y > BODY_BOTTOM) {
          if (std::fabs(y - (c.belt - 0.5)) < 0.05) col = scale(col, 0.75);  // crease
          double d1 = c.screenBase + 0.3, d2 = (c.screenBase + c.rearBase) / 2;
          if (std::fabs(z - d1) < 0.05 || (!c.truck && std::fabs(z - d2) < 0.05))
            col = scale(col, 0.6);
          if (y > c.belt - 0.9 && y < c.belt - 0.7 && std::fabs(z - (d1 + 0.9)) < 0.4)
            col = Rgb{200, 200, 200};
        }
        if (y < BODY_BOTTOM + 0.35) col = Rgb{48, 48, 50};  // sill and bumper strip
        for (double wz : {-c.wheelBase / 2, c.wheelBase / 2}) {
          if (std::hypot(z - wz, y - (WHEEL_BOTTOM + WHEEL_RADIUS)) < WHEEL_RADIUS + 0.25)
            col = Rgb{30, 30, 32};
        }
        if (z < -L2 + 0.5 && y > 0.1 && y < 0.6) col = Rgb{240, 170, 50};
        if (z > L2 - 0.4 && y > 0.0 && y < 0.7 && !cargo) col = Rgb{190, 30, 24};
      } else if (u < 0.5) {
        // Top view.
        double z = (u / 0.5) * c.length - L2, x = ((v - 0.5) / 0.5) * 2 * w - w;
        col = scale(paint, 1.1);
        if (z > c.roofFront && z < c.roofRear) col = scale(paint, 1.0 + 0.05 * n);
        if (std::fabs(x) > w - 0.3) col = scale(paint, 0.85);
        if (c.truck && z > c.cargoFront) col = scale(c.cargo, 1.05);
      } else if (v < 0.75) {
        bool isFront = u < 0.75;
        double x = isFront ? ((u - 0.5) / 0.25) * 2 * w - w : w - ((u - 0.75) / 0.25) * 2 * w;
        double y = ym - ((v - 0.5) / 0.25) * (ym - Y_MIN);
        double ax = std::fabs(x);
        col = body(y, n);
        if (y > c.belt) {
          double t = (y - c.belt) / (c.roof - c.belt);
          bool pane =
              y > c.belt + 0.2 && y < c.roof - 0.2 && ax < (w - 0.6) - (c.roofInset - 0.3) * t;
          col = pane ? glass(isFront ? 0.2 + t * 0.5 : 0.6 + 0.3 * t) : scale(paint, 0.9);
          if (c.truck && (isFront ? y > c.roof : true)) {
            col = scale(c.cargo, 0.9);
            if (!isFront && ax < 0.06) col = Rgb{90, 90, 90};
            if (!isFront && std::fabs(ax - 1.2) < 0.12 && y > 0.5 && y < 2.5)
              col = Rgb{150, 150, 150};
          }
        } else if (isFront) {
          if (ax > w - 1.5 && ax < w - 0.35 && y > 0.0 && y < 0.65) col = Rgb{246, 242, 214};
          if (ax < w - 1.8 && y > -0.6 && y < 0.45)
            col = (int(y * 8) % 2) ? Rgb{40, 40, 44} : Rgb{70, 70, 76};
          if (ax < 1.0 && y > -1.2 && y < -0.8) col = Rgb{232, 232, 220};
        } else {
          if (ax > w - 1.4 && ax < w - 0.3 && y > 0.0 && y < 0.75) col = Rgb{200, 30, 26};
          if (ax < 1.0 && y > -0.6 && y < -0.2) col = Rgb{232, 232, 220};
          if (c.truck) {
            col = scale(c.cargo, 0.88);
            if (ax < 0.06) col = Rgb{90, 90, 90};
            if (ax > w - 0.8 && y > -0.4 && y < 0.3) col = Rgb{200, 30, 26};
          }
        }
        if (y < BODY_BOTTOM + 0.5 && y > BODY_BOTTOM - 0.2) col = Rgb{50, 50, 52};  // bumper
      } else if (u < 0.75) {
        // Tread: rubber with grooves.
        col = (px % 8 < 2) ? Rgb{22, 22, 24} : Rgb{40, 40, 42};
      } else {
        double dx = (u - 0.875) / 0.125, dy = (v - 0.875) / 0.125;
        double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
        col = Rgb{36, 36, 38};
        if (r < 0.62) {
          col = Rgb{178, 180, 186};
          if (r > 0.2 && std::fmod(a + 2 * PI, 2 * PI / 5) < 0.5) col = Rgb{70, 72, 76};
        }
      }
      im.set(px, py, col);
    }
  }
  return im;
}

const CarSpec* findSpec(const std::string& name) {
  for (const CarSpec& c : CARS) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace

bool buildCar(const std::string& name, GenMesh& out) {
  const CarSpec* c = findSpec(name);
  if (!c) return false;
  out = GenMesh{};
  buildFromSpec(*c, out);
  return true;
}

bool writeCars(const std::string& dir) {
  bool ok = true;
  for (const CarSpec& c : CARS) {
    GenMesh m;
    buildFromSpec(c, m);
    ok &= writeXFile(dir + "/" + c.name + ".x", m);
    ok &= writePng(dir + "/" + c.name + ".png", paintCar(c), false);
  }
  return ok;
}
