// Ten vertical picks (five under the surface, five above it, as the car's
// low and high probes mostly stand) against a rolling ground of one million
// triangles: the hierarchy against the pass over every face.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "ratio_reporter.hpp"
#include "render/bvh.hpp"

namespace {

struct Ground {
  std::vector<Vec3> positions;
  std::vector<uint32_t> indices;
  std::vector<Vec3> origins;
  TriangleBvh bvh;
};

float height(float x, float z) { return 3.0f * std::sin(x * 0.05f) * std::cos(z * 0.07f); }

const Ground& ground() {
  static const Ground g = [] {
    Ground g;
    const uint32_t nx = 1000, nz = 500;  // 1000 x 500 quads: 1,000,000 triangles
    for (uint32_t z = 0; z <= nz; ++z)
      for (uint32_t x = 0; x <= nx; ++x)
        g.positions.push_back({float(x), height(float(x), float(z)), float(z)});
    for (uint32_t z = 0; z < nz; ++z)
      for (uint32_t x = 0; x < nx; ++x) {
        const uint32_t a = z * (nx + 1) + x, b = a + 1, c = a + nx + 1, d = c + 1;
        g.indices.insert(g.indices.end(), {a, c, b, b, c, d});
      }
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> px(1.0f, float(nx) - 1.0f), pz(1.0f, float(nz) - 1.0f);
    for (int i = 0; i < 10; ++i) {
      const float x = px(rng), z = pz(rng);
      g.origins.push_back({x, height(x, z) + (i < 5 ? -1.0f : 2.0f), z});
    }
    g.bvh.build(g.positions, g.indices);
    return g;
  }();
  return g;
}

const Vec3 UP{0.0f, 1.0f, 0.0f};

void BM_TenPicksHierarchy(benchmark::State& state) {
  const Ground& g = ground();
  int hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const Vec3& o : g.origins) hits += g.bvh.anyHit(o, UP);
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = hits;
}

void BM_TenPicksAllFaces(benchmark::State& state) {
  const Ground& g = ground();
  int hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const Vec3& o : g.origins) hits += rayHitsAnyTriangle(g.positions, g.indices, o, UP);
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = hits;
}

void BM_BuildHierarchy(benchmark::State& state) {
  const Ground& g = ground();
  for (auto _ : state) {
    TriangleBvh bvh;
    bvh.build(g.positions, g.indices);
    benchmark::DoNotOptimize(bvh);
  }
}

BENCHMARK(BM_TenPicksHierarchy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenPicksAllFaces)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildHierarchy)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("BM_TenPicksAllFaces", "BM_TenPicksHierarchy");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
