// xinfo FILE.x ...: what the game's .x reader makes of each file, for
// checking models. Exit code 0 when every file reads, 1 otherwise.
#include <algorithm>
#include <cstdio>

#include "xfile/xfile.hpp"

namespace {

struct Vec3Box {
  platform::Vec3 lo, hi;
};

void printInfo(const std::string& path, const XMesh& m) {
  std::printf("%s: %zu vertices, %u faces, %zu materials\n", path.c_str(), m.vertices.size(),
              m.faceCount(), m.materials.size());
  for (size_t i = 0; i < m.materials.size(); ++i) {
    const platform::Material& d = m.materials[i].material;
    std::printf(
        "material %zu: diffuse (%g, %g, %g, %g), power %g, specular (%g, %g, %g), "
        "emissive (%g, %g, %g), ",
        i, d.diffuse.r, d.diffuse.g, d.diffuse.b, d.diffuse.a, d.power, d.specular.r, d.specular.g,
        d.specular.b, d.emissive.r, d.emissive.g, d.emissive.b);
    if (m.materials[i].textureFilename.empty())
      std::printf("no texture\n");
    else
      std::printf("texture \"%s\"\n", m.materials[i].textureFilename.c_str());
  }
  Vec3Box box{m.vertices.front().position, m.vertices.front().position};
  for (const platform::MeshVertex& v : m.vertices) {
    box.lo = {std::min(box.lo.x, v.position.x), std::min(box.lo.y, v.position.y),
              std::min(box.lo.z, v.position.z)};
    box.hi = {std::max(box.hi.x, v.position.x), std::max(box.hi.y, v.position.y),
              std::max(box.hi.z, v.position.z)};
  }
  std::printf("bounding box: (%g, %g, %g) to (%g, %g, %g)\n", box.lo.x, box.lo.y, box.lo.z,
              box.hi.x, box.hi.y, box.hi.z);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: xinfo FILE.x [FILE.x ...]\n");
    return 1;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    XMesh mesh;
    std::string error;
    if (readXFile(argv[i], mesh, error)) {
      if (!mesh.warning.empty()) std::fprintf(stderr, "%s\n", mesh.warning.c_str());
      printInfo(argv[i], mesh);
    } else {
      std::fprintf(stderr, "%s\n", error.c_str());
      status = 1;
    }
  }
  return status;
}
