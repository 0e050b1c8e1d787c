#include "textures.hpp"

#include <algorithm>
#include <cmath>

#include "image.hpp"
#include "rng.hpp"
#include "vec.hpp"

namespace {

Image road() {
  Image im(256, 512);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double u = (x + 0.5) / im.width, v = (y + 0.5) / im.height;
      double n = fbm(u * 16, v * 32, 16, 4, 11);
      double grit = hash01(x, y, 12);
      double g = 78 + 26 * n + 14 * (grit - 0.5);
      // Darker where the tyres run, in the middle of each lane.
      for (double lane : {0.25, 0.75}) {
        double d = std::fabs(u - lane);
        if (d > 0.06 && d < 0.14) g -= 7;
      }
      Rgb c{g, g, g + 3};
      bool edge = (u > 0.025 && u < 0.06) || (u > 0.94 && u < 0.975);
      bool dash = u > 0.486 && u < 0.514 && v < 0.5;
      if (edge || dash) c = mix(c, Rgb{232, 232, 225}, 0.85 + 0.15 * (grit - 0.5));
      im.set(x, y, c);
    }
  }
  return im;
}

Image verge() {
  Image im(128, 128);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double u = (x + 0.5) / im.width, v = (y + 0.5) / im.height;
      double n = fbm(u * 4, v * 16, 4, 4, 21);
      Rgb gravel{128 + 40 * hash01(x, y, 22), 118 + 34 * hash01(x, y, 22),
                 100 + 30 * hash01(x, y, 23)};
      Rgb grass{64 + 40 * n, 112 + 46 * n, 44 + 20 * n};
      double t = std::clamp((u - 0.2 + 0.35 * (n - 0.5)) * 3.0, 0.0, 1.0);
      im.set(x, y, mix(gravel, grass, t));
    }
  }
  return im;
}

Image grass() {
  Image im(256, 256);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double u = x / 256.0, v = y / 256.0;
      double broad = fbm(u * 4, v * 4, 4, 3, 31);
      double fine = hash01(x, y, 32);
      Rgb c{58 + 50 * broad + 16 * fine, 106 + 56 * broad + 18 * fine, 38 + 22 * broad};
      // Clover and flowers, here and there.
      if (hash01(x, y, 33) > 0.994) c = Rgb{225, 220, 150};
      im.set(x, y, c);
    }
  }
  return im;
}

Image crops() {
  // Four fields of a patchwork, each with rows in its own direction.
  Image im(256, 256);
  const Rgb base[4] = {{196, 172, 88}, {92, 138, 54}, {128, 96, 64}, {150, 160, 70}};
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      int fx = x / 128, fy = y / 128, f = fx + 2 * fy;
      double n = fbm(x / 32.0, y / 32.0, 8, 3, 41 + f);
      double rows = (f % 2) ? std::sin(x * PI / 4.0) : std::sin(y * PI / 4.0);
      Rgb c = scale(base[f], 0.82 + 0.22 * n + 0.06 * rows);
      // Hedges between the fields.
      int bx = x % 128, by = y % 128;
      if (bx < 3 || by < 3) c = Rgb{52 + 20 * n, 82 + 24 * n, 36};
      im.set(x, y, c);
    }
  }
  return im;
}

// Slopes below v 0.2, top above, as the track's walls map them.
Image barrier() {
  Image im(256, 128);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double v = (y + 0.5) / im.height;
      double n = fbm(x / 32.0, y / 32.0, 8, 3, 51);
      Rgb c{168 + 30 * n, 168 + 30 * n, 162 + 28 * n};
      if (v > 0.2 && v < 0.9) {
        bool red = x < 128;
        c = red ? Rgb{196 + 30 * n, 38 + 16 * n, 34 + 12 * n}
                : Rgb{226 + 20 * n, 226 + 20 * n, 220 + 20 * n};
        if (x % 128 < 2) c = scale(c, 0.7);
      }
      if (v >= 0.9) c = scale(c, 0.72);  // dirt along the foot
      im.set(x, y, c);
    }
  }
  return im;
}

Image wall() {
  Image im(256, 128);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double v = (y + 0.5) / im.height;
      double n = fbm(x / 16.0, y / 16.0, 16, 3, 61);
      Rgb c;
      if (v < 0.2) {
        c = Rgb{150 + 30 * n, 146 + 28 * n, 136 + 26 * n};
      } else {
        int row = (y - 26) / 17, shift = (row % 2) * 16;
        int cx = (x + shift) / 32;
        bool mortar = (y - 26) % 17 < 2 || (x + shift) % 32 < 2;
        double tone = hash01(cx, row, 62);
        c = mortar
                ? Rgb{120, 116, 104}
                : Rgb{128 + 50 * tone + 20 * n, 112 + 40 * tone + 18 * n, 92 + 30 * tone + 16 * n};
      }
      im.set(x, y, c);
    }
  }
  return im;
}

Image bark() {
  Image im(64, 128);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double n = fbm(x / 4.0, y / 32.0, 16, 3, 71);
      double streak = valueNoise(x / 2.0, y / 24.0, 32, 72);
      double g = 0.6 + 0.5 * n - 0.25 * streak;
      im.set(x, y, Rgb{96 * g, 72 * g, 50 * g});
    }
  }
  return im;
}

Rgb leafColour(double n, double h, bool conifer, int x, int y) {
  // Lighter on top, as if the sun were above.
  double light = 0.65 + 0.45 * (1 - h) + 0.3 * (n - 0.5);
  Rgb c = conifer ? Rgb{40, 92, 52} : Rgb{66, 120, 40};
  c = scale(c, light);
  if (hash01(x, y, 83) > 0.9) c = scale(c, 0.75);
  c.g = std::max(c.g, 8.0);  // never the cut-away black
  return c;
}

Image leaves() {
  // Left half: a broad crown made of leaf clumps; right half: a conifer.
  Image im(512, 256);
  im.fillRect(0, 0, 512, 256, CUT);
  Rng rng(0x1EAF);
  struct Blob {
    double x, y, r;
  };
  std::vector<Blob> blobs;
  for (int i = 0; i < 46; ++i) {
    double a = rng.range(0, 2 * PI), d = std::sqrt(rng.uniform());
    blobs.push_back({128 + std::cos(a) * d * 84, 118 + std::sin(a) * d * 76, rng.range(18, 34)});
  }
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      double n = fbm(x / 8.0, y / 8.0, 32, 3, 81);
      bool inside = false;
      for (const Blob& b : blobs) {
        double d = std::hypot(x - b.x, y - b.y) / b.r;
        if (d < 0.85 + 0.3 * (n - 0.5)) inside = true;
      }
      // Gaps between the leaves, so the sky shows through.
      if (inside && hash01(x / 3, y / 3, 82) > 0.93) inside = false;
      if (inside) im.set(x, y, leafColour(n, y / 256.0, false, x, y));
    }
  }
  for (int y = 0; y < 256; ++y) {
    for (int x = 256; x < 512; ++x) {
      double n = fbm(x / 6.0, y / 6.0, 64, 3, 84);
      double t = y / 256.0;  // 0 at the top
      // Tiers of drooping branches that widen downward.
      double tier = std::fmod(t * 7, 1.0);
      double half = (12 + 108 * t) * (0.7 + 0.3 * tier) * (0.9 + 0.2 * n);
      bool inside = std::fabs(x - 384) < half && t < 0.94 && t > 0.02;
      if (inside && hash01(x / 2, y / 2, 85) > 0.95) inside = false;
      if (inside) im.set(x, y, leafColour(n, t * 0.6, true, x, y));
    }
  }
  return im;
}

// One window bay of a plastered farmhouse, as tall as the wall.
Image house() {
  Image im(128, 256);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double u = (x + 0.5) / im.width, v = (y + 0.5) / im.height;
      double n = fbm(x / 16.0, y / 16.0, 8, 3, 91);
      Rgb c{214 + 22 * n, 200 + 20 * n, 168 + 18 * n};
      if (v > 0.9) c = Rgb{120 + 20 * n, 110 + 18 * n, 100 + 16 * n};
      bool frame = u > 0.28 && u < 0.72 && v > 0.42 && v < 0.8;
      bool glass = u > 0.32 && u < 0.68 && v > 0.45 && v < 0.77;
      if (frame) c = Rgb{236, 236, 230};
      if (glass) {
        c = mix(Rgb{70, 90, 110}, Rgb{150, 170, 190},
                std::clamp(1.2 - (v - 0.45) * 4 + 0.2 * n, 0.0, 1.0));
        if (std::fabs(u - 0.5) < 0.012 || std::fabs(v - 0.61) < 0.006) c = Rgb{236, 236, 230};
      }
      bool shutter = ((u > 0.16 && u < 0.27) || (u > 0.73 && u < 0.84)) && v > 0.42 && v < 0.8;
      if (shutter) c = Rgb{60 + 20 * n, 100 + 20 * n, 70 + 16 * n};
      im.set(x, y, c);
    }
  }
  return im;
}

Image barn() {
  Image im(128, 256);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      double v = (y + 0.5) / im.height;
      double n = fbm(x / 8.0, y / 32.0, 16, 3, 101);
      double plank = hash01(x / 16, 0, 102);
      Rgb c{150 + 40 * n + 20 * plank, 48 + 16 * n, 36 + 12 * n};
      if (x % 16 < 1) c = scale(c, 0.55);
      bool trim = v > 0.4 && v < 0.44;
      if (trim) c = Rgb{226, 222, 210};
      if (v > 0.93) c = Rgb{96 + 20 * n, 90 + 16 * n, 84};
      im.set(x, y, c);
    }
  }
  return im;
}

Image roof() {
  Image im(128, 128);
  for (int y = 0; y < im.height; ++y) {
    for (int x = 0; x < im.width; ++x) {
      int row = y / 16, shift = (row % 2) * 8;
      double tone = hash01((x + shift) / 16, row, 111);
      double n = fbm(x / 16.0, y / 16.0, 8, 2, 112);
      double inRow = (y % 16) / 16.0;
      Rgb c{150 + 40 * tone + 20 * n, 70 + 22 * tone, 50 + 14 * tone};
      c = scale(c, 1.05 - 0.35 * inRow);  // each row shades the one below
      if ((x + shift) % 16 == 0) c = scale(c, 0.7);
      im.set(x, y, c);
    }
  }
  return im;
}

Image fence() {
  // Cut away except for the posts and the two rails; rows 0 to 3 stay cut
  // away for the fence's invisible cap.
  Image im(128, 64);
  im.fillRect(0, 0, 128, 64, CUT);
  for (int y = 4; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      bool post = x < 10 && y >= 5;
      bool rail = (y >= 9 && y < 16) || (y >= 32 && y < 38);
      if (!post && !rail) continue;
      double n = fbm(x / 8.0, y / 4.0, 16, 2, 121);
      double g = post ? 0.9 : 1.0;
      im.set(x, y, Rgb{(120 + 40 * n) * g, (96 + 30 * n) * g, (70 + 20 * n) * g});
    }
  }
  return im;
}

}  // namespace

bool writeSceneryTextures(const std::string& dir) {
  bool ok = true;
  ok &= writePng(dir + "/road.png", road(), false);
  ok &= writePng(dir + "/verge.png", verge(), false);
  ok &= writePng(dir + "/grass.png", grass(), false);
  ok &= writePng(dir + "/crops.png", crops(), false);
  ok &= writePng(dir + "/barrier.png", barrier(), false);
  ok &= writePng(dir + "/wall.png", wall(), false);
  ok &= writePng(dir + "/bark.png", bark(), false);
  ok &= writePng(dir + "/leaves.png", leaves(), true);
  ok &= writePng(dir + "/house.png", house(), false);
  ok &= writePng(dir + "/barn.png", barn(), false);
  ok &= writePng(dir + "/roof.png", roof(), false);
  ok &= writePng(dir + "/fence.png", fence(), true);
  return ok;
}
