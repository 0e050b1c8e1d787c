// Frames per second of the GL device at 1024x768: a lit, textured,
// alpha-tested 40 000-triangle scene with the title texts, beside a baseline
// of the same device only clearing and presenting, in the same run.
// Run with SDL_VIDEODRIVER=offscreen (Mesa's llvmpipe through EGL) or on a
// display.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/services.hpp"

using namespace platform;

namespace {

struct Scene {
  Device* device = nullptr;
  MeshHandle mesh = 0;
  TextureHandle texture = 0;
  FontHandle font = 0;
  uint32_t subsets = 0;
  uint32_t triangles = 0;
};

// A sphere of 100 rings by 200 sectors (40 000 triangles) in four subsets,
// facing outward, clockwise seen from outside.
void makeSphere(Scene& s) {
  constexpr int RINGS = 100, SECTORS = 200;
  std::vector<MeshVertex> v;
  std::vector<uint32_t> idx;
  for (int i = 0; i <= RINGS; ++i) {
    for (int j = 0; j <= SECTORS; ++j) {
      const float th = static_cast<float>(M_PI) * i / RINGS;
      const float ph = 2 * static_cast<float>(M_PI) * j / SECTORS;
      const Vec3 n{std::sin(th) * std::cos(ph), std::cos(th), std::sin(th) * std::sin(ph)};
      v.push_back({n, n, {j * 8.0f / SECTORS, i * 4.0f / RINGS}});
    }
  }
  for (int i = 0; i < RINGS; ++i) {
    for (int j = 0; j < SECTORS; ++j) {
      const uint32_t a = i * (SECTORS + 1) + j, b = a + 1, c = a + SECTORS + 1, d = c + 1;
      idx.insert(idx.end(), {a, b, c, b, d, c});
    }
  }
  const uint32_t faces = static_cast<uint32_t>(idx.size() / 3);
  SubsetRange subsets[4];
  for (uint32_t k = 0; k < 4; ++k) subsets[k] = {faces / 4 * k, faces / 4};
  s.mesh = s.device->createMesh(
      {v.data(), static_cast<uint32_t>(v.size()), idx.data(), faces, subsets, 4});
  s.subsets = 4;
  s.triangles = faces;
}

Scene& scene() {
  static Scene s;
  if (s.device) return s;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!sdl_gl::install()) std::abort();
  sys().createMainWindow({"MY_WINDOWS_CLASS", "NALIK Application", 0, 0, 0, 400, 400, false});
  PresentParams p{};
  p.backBufferWidth = 1024;
  p.backBufferHeight = 768;
  p.backBufferFormat = Format::X8R8G8B8;
  p.enableAutoDepthStencil = 1;
  p.autoDepthStencilFormat = Format::D24S8;
  p.presentationInterval = PRESENT_INTERVAL_IMMEDIATE;
  s.device = services().graphics->createDevice(p);
  if (!s.device) std::abort();
  makeSphere(s);
  std::vector<uint8_t> texels(256 * 256 * 4);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      uint8_t* t = &texels[(y * 256 + x) * 4];
      const bool keyed = ((x / 32) + (y / 32)) % 5 == 0;
      t[0] = static_cast<uint8_t>(x);
      t[1] = static_cast<uint8_t>(y);
      t[2] = 128;
      t[3] = keyed ? 0 : 255;
    }
  }
  s.texture = s.device->createTexture({256, 256, texels.data()});
  s.font = s.device->createFont(62, 400, "");
  return s;
}

void finish(Device* d) {
  d->present();
  glFinish();  // count the whole frame, not only its submission
}

void BM_ClearAndPresent(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    s.device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    s.device->beginScene();
    s.device->endScene();
    finish(s.device);
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Scene40k(benchmark::State& state) {
  Scene& s = scene();
  Device* d = s.device;
  Matrix proj{}, view{}, world{};
  const float ys = 1 / std::tan(static_cast<float>(M_PI) / 8);
  proj.m[0][0] = ys;
  proj.m[1][1] = ys;
  proj.m[2][2] = 100000 / (100000 - 0.5f);
  proj.m[2][3] = 1;
  proj.m[3][2] = -0.5f * 100000 / (100000 - 0.5f);
  for (int i = 0; i < 4; ++i) view.m[i][i] = world.m[i][i] = 1;
  // The sphere's distance in tenths: 32 fills most of the picture, 300
  // leaves a small disc, so that vertex and pixel costs show apart.
  view.m[3][2] = static_cast<float>(state.range(0)) / 10;
  const float dirs[4][3] = {{-100, 100, 100}, {100, -100, -100}, {-1, 1, 1}, {1, -1, -1}};
  for (auto _ : state) {
    d->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
    d->beginScene();
    d->setTransform(TransformState::Projection, proj);
    d->setTransform(TransformState::View, view);
    for (uint32_t i = 0; i < 4; ++i) {
      Light l{};
      l.type = LightType::Directional;
      l.diffuse = {1, 1, 1, 0.2f};
      l.direction = {dirs[i][0], dirs[i][1], dirs[i][2]};
      d->setLight(i, l);
      d->lightEnable(i, true);
    }
    d->setRenderState(RenderState::AlphaTestEnable, 1);
    d->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
    d->setRenderState(RenderState::AlphaRef, 200);
    d->setTransform(TransformState::World, world);
    for (uint32_t k = 0; k < s.subsets; ++k) {
      Material m{};
      m.diffuse = {0.8f, 0.8f - 0.1f * k, 0.6f, 1};
      m.ambient = m.diffuse;
      d->setMaterial(m);
      d->setTexture(0, s.texture);
      d->drawSubset(s.mesh, k);
    }
    d->drawText(s.font, "Z8T Car Riderozad", 17, {200, 200, 1024, 768}, 0, 0xFF646464);
    d->endScene();
    finish(d);
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["triangles"] = s.triangles;
}

BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Scene40k)->Arg(32)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
