#include "xwriter.hpp"

#include <cstdio>
#include <cstring>

#include "file_out.hpp"

namespace {

constexpr size_t MAX_MATERIALS = 500;  // what the game's loader takes

void num(std::string& out, double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  // A tiny negative value would print as "-0.000"; write it as zero.
  bool zero = true;
  for (const char* c = buf; *c; ++c) {
    if (*c >= '1' && *c <= '9') zero = false;
  }
  out += (zero && buf[0] == '-') ? buf + 1 : buf;
}

void color(std::string& out, double r, double g, double b) {
  num(out, r, 6);
  out += ';';
  num(out, g, 6);
  out += ';';
  num(out, b, 6);
  out += ';';
}

void faceList(std::string& out, const GenMesh& m) {
  out += "  " + std::to_string(m.faces.size()) + ";\n";
  for (size_t i = 0; i < m.faces.size(); ++i) {
    const auto& f = m.faces[i];
    out += "  3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) +
           ";";
    out += i + 1 < m.faces.size() ? ",\n" : ";\n";
  }
}

// One vector per vertex, "x;y;z;" separated by "," and closed by ";".
template <typename Field>
void vectorList(std::string& out, const GenMesh& m, Field field, int decimals) {
  for (size_t i = 0; i < m.verts.size(); ++i) {
    const V3& v = field(m.verts[i]);
    out += "  ";
    num(out, v.x, decimals);
    out += ';';
    num(out, v.y, decimals);
    out += ';';
    num(out, v.z, decimals);
    out += i + 1 < m.verts.size() ? ";,\n" : ";;\n";
  }
}

}  // namespace

std::string xFileText(const GenMesh& m) {
  std::string out = "xof 0303txt 0032\n\n";
  out += "Mesh " + m.name + " {\n";
  out += "  " + std::to_string(m.verts.size()) + ";\n";
  vectorList(
      out, m, [](const GenVertex& v) -> const V3& { return v.pos; }, 4);
  faceList(out, m);

  out += "  MeshNormals {\n  " + std::to_string(m.verts.size()) + ";\n";
  vectorList(
      out, m, [](const GenVertex& v) -> const V3& { return v.normal; }, 6);
  faceList(out, m);
  out += "  }\n";

  out += "  MeshTextureCoords {\n  " + std::to_string(m.verts.size()) + ";\n";
  for (size_t i = 0; i < m.verts.size(); ++i) {
    out += "  ";
    num(out, m.verts[i].u, 6);
    out += ';';
    num(out, m.verts[i].v, 6);
    out += i + 1 < m.verts.size() ? ";,\n" : ";;\n";
  }
  out += "  }\n";

  out += "  MeshMaterialList {\n  " + std::to_string(m.materials.size()) + ";\n";
  out += "  " + std::to_string(m.faces.size()) + ";\n";
  for (size_t i = 0; i < m.faceMaterial.size(); ++i) {
    out += "  " + std::to_string(m.faceMaterial[i]);
    out += i + 1 < m.faceMaterial.size() ? ",\n" : ";\n";
  }
  for (const GenMaterial& mat : m.materials) {
    out += "  Material {\n   ";
    color(out, mat.r, mat.g, mat.b);
    out += "1.000000;;\n   0.000000;\n   0.000000;0.000000;0.000000;;\n   ";
    color(out, mat.er, mat.eg, mat.eb);
    out += ";\n";
    if (!mat.texture.empty()) out += "   TextureFilename {\n    \"" + mat.texture + "\";\n   }\n";
    out += "  }\n";
  }
  out += "  }\n}\n";
  return out;
}

bool writeXFile(const std::string& path, const GenMesh& m) {
  if (m.faces.empty() || m.materials.empty() || m.materials.size() > MAX_MATERIALS) {
    std::fprintf(stderr, "gen: %s: mesh %s has %zu faces and %zu materials\n", path.c_str(),
                 m.name.c_str(), m.faces.size(), m.materials.size());
    return false;
  }
  for (size_t i = 0; i < m.faces.size(); ++i) {
    for (uint32_t v : m.faces[i]) {
      if (v >= m.verts.size() || m.faceMaterial[i] >= m.materials.size()) {
        std::fprintf(stderr, "gen: %s: face %zu refers past the mesh\n", path.c_str(), i);
        return false;
      }
    }
  }
  std::string text = xFileText(m);
  return writeFileBytes(path, text.data(), text.size());
}
