// Reading a text .x file of 200,000 triangles (a 400 by 250 grid with
// normals, texture coordinates and two materials): time per read, and how
// far the first read raises the process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "xfile/xfile.hpp"

namespace {

const char* const PATH = "/tmp/riderozad_bench_200k.x";

long peakKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The grid's two triangles per cell, as both the mesh and its normals list them.
void writeGridFaces(std::FILE* f, int nx, int nz, const char* indent) {
  std::fprintf(f, "%s%d;\n", indent, 2 * nx * nz);
  for (int z = 0; z < nz; ++z)
    for (int x = 0; x < nx; ++x) {
      const int a = z * (nx + 1) + x, b = a + 1, c = a + nx + 1, d = c + 1;
      const bool last = x == nx - 1 && z == nz - 1;
      std::fprintf(f, "%s3;%d,%d,%d;,\n%s3;%d,%d,%d;%s\n", indent, a, c, b, indent, b, c, d,
                   last ? ";" : ",");
    }
}

size_t writeGridFile() {
  const int nx = 400, nz = 250;
  std::FILE* f = std::fopen(PATH, "w");
  if (f == nullptr) return 0;
  std::fprintf(f, "xof 0303txt 0032\nFrame Track {\n Mesh ground {\n  %d;\n", (nx + 1) * (nz + 1));
  for (int z = 0; z <= nz; ++z)
    for (int x = 0; x <= nx; ++x)
      std::fprintf(f, "  %.6f;%.6f;%.6f;%s\n", x * 2.0, std::sin(x * 0.1) * std::cos(z * 0.1),
                   z * 2.0, x == nx && z == nz ? ";" : ",");
  writeGridFaces(f, nx, nz, "  ");
  std::fprintf(f, "  MeshNormals {\n   %d;\n", (nx + 1) * (nz + 1));
  for (int i = 0; i < (nx + 1) * (nz + 1); ++i)
    std::fprintf(f, "   0.000000;1.000000;0.000000;%s\n", i + 1 == (nx + 1) * (nz + 1) ? ";" : ",");
  writeGridFaces(f, nx, nz, "   ");
  std::fprintf(f, "  }\n  MeshTextureCoords {\n   %d;\n", (nx + 1) * (nz + 1));
  for (int z = 0; z <= nz; ++z)
    for (int x = 0; x <= nx; ++x)
      std::fprintf(f, "   %.6f;%.6f;%s\n", x / 8.0, z / 8.0, x == nx && z == nz ? ";" : ",");
  std::fprintf(f, "  }\n  MeshMaterialList {\n   2;\n   %d;\n", 2 * nx * nz);
  for (int i = 0; i < 2 * nx * nz; ++i)
    std::fprintf(f, "   %d%s\n", (i / (2 * nx)) % 2, i + 1 == 2 * nx * nz ? ";;" : ",");
  std::fprintf(f,
               "   Material { 0.5;0.5;0.5;1.0;; 10.0; 0.1;0.1;0.1;; 0.0;0.0;0.0;; "
               "TextureFilename { \"Data/road.bmp\"; } }\n"
               "   Material { 0.3;0.6;0.3;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
               "  }\n }\n}\n");
  const long size = std::ftell(f);
  std::fclose(f);
  return static_cast<size_t>(size);
}

void BM_ReadText200kTriangles(benchmark::State& state) {
  static const size_t fileBytes = writeGridFile();
  static long peakRiseKb = -1;
  static uint32_t triangles = 0;
  std::string error;
  if (peakRiseKb < 0) {
    const long before = peakKb();
    XMesh mesh;
    if (!readXFile(PATH, mesh, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    peakRiseKb = peakKb() - before;
    triangles = mesh.faceCount();
  }
  for (auto _ : state) {
    XMesh m;
    if (!readXFile(PATH, m, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(m.indices.data());
  }
  state.counters["triangles"] = triangles;
  state.counters["file_MB"] = fileBytes / 1e6;
  state.counters["peak_rise_MB"] = peakRiseKb / 1024.0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
}

BENCHMARK(BM_ReadText200kTriangles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
