// The object parser of the .x reader, shared by the text and binary forms:
// frames, meshes with their normals, texture coordinates and material lists,
// named materials; every other object and every template is skipped. All
// meshes are merged into one, frame transforms applied, then adjacency is
// worked out over the merged triangles.
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "xfile/xfile_internal.hpp"

using platform::Matrix;
using platform::Vec2;
using platform::Vec3;

namespace {

constexpr uint32_t UNSET = 0xFFFFFFFFu;

bool sameName(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    char d = b[i];
    if (d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
    if (c != d) return false;
  }
  return i == a.size() && b[i] == '\0';
}

Matrix identity() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

// a * b for row vectors: a point goes through a first, then b.
Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float s = 0.0f;
      for (int k = 0; k < 4; ++k) s += a.m[r][k] * b.m[k][c];
      out.m[r][c] = s;
    }
  return out;
}

bool isIdentity(const Matrix& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
  return true;
}

XMaterial defaultMaterial() {
  XMaterial m{};
  m.material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m.material.specular = {0.0f, 0.0f, 0.0f, 1.0f};
  m.material.emissive = {0.0f, 0.0f, 0.0f, 1.0f};
  return m;
}

// One Mesh object as the file gives it, before it joins the merged mesh.
struct RawMesh {
  std::vector<Vec3> positions;
  std::vector<uint32_t> faceStart{0};  // face f is corners[faceStart[f] .. faceStart[f + 1])
  std::vector<uint32_t> corners;
  bool hasNormals = false;
  std::vector<Vec3> normals;
  std::vector<uint32_t> normalCorners;  // same face layout as corners
  bool hasUv = false;
  std::vector<Vec2> uv;
  bool hasMaterialList = false;
  std::vector<uint32_t> faceMaterial;
  std::vector<XMaterial> materials;
  // Entries of `materials` named by a reference to a material not yet read.
  std::vector<std::pair<uint32_t, std::string>> laterNames;

  uint32_t faceCount() const { return static_cast<uint32_t>(faceStart.size() - 1); }
};

struct FrameRecord {
  int32_t parent;
  Matrix local;
};

struct MeshRange {
  int32_t frame;  // -1 for a mesh outside any frame
  size_t begin, end;
};

struct Build {
  XMesh& out;
  std::vector<uint32_t> pointRep;  // per vertex: the vertex of its file position
  std::vector<FrameRecord> frames;
  std::vector<MeshRange> ranges;
  std::unordered_map<std::string, XMaterial> named;
  // Merged material entries whose name is looked up once the file is read.
  std::vector<std::pair<uint32_t, std::string>> laterNames;
  uint32_t meshCount = 0;
};

template <class Lexer>
class Parser {
 public:
  Parser(Lexer& lex, Build& build) : lex_(lex), b_(build) {}

  bool run() {
    const bool ok = items(
        true,
        [&](const std::string& ident, const std::string& name) {
          if (sameName(ident, "Frame")) return frame(-1);
          if (sameName(ident, "Mesh")) return mesh(-1);
          if (sameName(ident, "Material")) return namedMaterial(name);
          return skipBody();
        },
        ignoreReference);
    return ok && finish();
  }

  const std::string& error() const { return error_; }

 private:
  static bool ignoreReference(const std::string&) { return true; }

  // An object's or a reference's name; text names may start with a digit,
  // which the text reader reports as a number.
  static bool isName(XTok t) {
    return t == XTok::Name || (std::is_same_v<Lexer, XTextLexer> && t == XTok::Number);
  }

  bool fail(const std::string& message) {
    if (error_.empty()) error_ = lex_.where() + ": " + message;
    return false;
  }
  bool failPlain(const std::string& message) {
    if (error_.empty()) error_ = message;
    return false;
  }
  bool lexFail() { return fail(lex_.error()); }
  bool uint(uint32_t& v) { return lex_.readUInt(v) || lexFail(); }
  bool real(float& v) { return lex_.readFloat(v) || lexFail(); }
  bool vec3(Vec3& v) { return real(v.x) && real(v.y) && real(v.z); }

  // A count of elements that each take at least one byte: a count larger
  // than the bytes left is a lie, and must not size an allocation.
  bool count(uint32_t& v, const char* what) {
    if (!uint(v)) return false;
    if (v > lex_.remaining())
      return fail("declares " + std::to_string(v) + " " + what + " but only " +
                  std::to_string(lex_.remaining()) + " bytes follow");
    return true;
  }

  bool enter() {
    if (++depth_ > X_MAX_DEPTH)
      return fail("objects nest deeper than " + std::to_string(X_MAX_DEPTH) + " levels");
    return true;
  }

  bool expectOpen(const std::string& after) {
    if (lex_.peek() != XTok::OBrace) return fail("expected '{' after " + after);
    lex_.skip();
    if (!enter()) return false;
    if (lex_.peek() == XTok::Guid && !lex_.skip()) return lexFail();
    return true;
  }

  // Everything up to and including the '}' that closes the current object.
  bool skipBody() {
    const uint32_t level = depth_;
    for (;;) {
      switch (lex_.peek()) {
        case XTok::End:
          return fail("the file ends inside an object (missing '}')");
        case XTok::Bad:
          return lexFail();
        case XTok::OBrace:
          lex_.skip();
          if (!enter()) return false;
          break;
        case XTok::CBrace:
          lex_.skip();
          if (--depth_ < level) return true;
          break;
        default:
          if (!lex_.skip()) return lexFail();
      }
    }
  }

  bool skipTemplate() {
    lex_.skip();
    if (lex_.peek() == XTok::Name) lex_.skip();
    return expectOpen("template") && skipBody();
  }

  // "{ name }" or "{ name <guid> }" or "{ <guid> }": `name` is empty for the last.
  bool reference(std::string& name) {
    lex_.skip();
    if (!enter()) return false;
    name.clear();
    if (isName(lex_.peek()) && !lex_.readName(name)) return lexFail();
    if (lex_.peek() == XTok::Guid && !lex_.skip()) return lexFail();
    if (lex_.peek() != XTok::CBrace) return fail("expected '}' to close a reference");
    lex_.skip();
    --depth_;
    return true;
  }

  // The objects and references inside the current object, up to its '}', or
  // up to the end of the file at the top level. `onObject` gets the object's
  // identifier and name with its '{' taken, and must take its '}'.
  template <class OnObject, class OnReference>
  bool items(bool topLevel, OnObject onObject, OnReference onReference) {
    for (;;) {
      switch (lex_.peek()) {
        case XTok::End:
          if (topLevel) return true;
          return fail("the file ends inside an object (missing '}')");
        case XTok::CBrace:
          if (topLevel) return fail("'}' without a matching '{'");
          lex_.skip();
          --depth_;
          return true;
        case XTok::Bad:
          return lexFail();
        case XTok::Template:
          if (!skipTemplate()) return false;
          break;
        case XTok::OBrace: {
          std::string ref;
          if (!reference(ref) || !onReference(ref)) return false;
          break;
        }
        case XTok::Name: {
          std::string ident, name;
          if (!lex_.readName(ident)) return lexFail();
          if (isName(lex_.peek()) && !lex_.readName(name)) return lexFail();
          if (!expectOpen(ident) || !onObject(ident, name)) return false;
          break;
        }
        default:
          return fail(topLevel ? "expected a template or an object"
                               : "unexpected data where an object or '}' should be");
      }
    }
  }

  bool skipChildren() {
    return items(
        false, [&](const std::string&, const std::string&) { return skipBody(); }, ignoreReference);
  }

  bool frame(int32_t parent) {
    const int32_t id = static_cast<int32_t>(b_.frames.size());
    b_.frames.push_back({parent, identity()});
    return items(
        false,
        [&](const std::string& ident, const std::string& name) {
          if (sameName(ident, "FrameTransformMatrix")) return matrix(id);
          if (sameName(ident, "Frame")) return frame(id);
          if (sameName(ident, "Mesh")) return mesh(id);
          if (sameName(ident, "Material")) return namedMaterial(name);
          return skipBody();
        },
        ignoreReference);
  }

  bool matrix(int32_t frameId) {
    Matrix m;
    for (auto& row : m.m)
      for (float& v : row)
        if (!real(v)) return false;
    b_.frames[static_cast<size_t>(frameId)].local = m;
    return skipChildren();
  }

  bool mesh(int32_t frameId) {
    RawMesh raw;
    uint32_t vertexCount, faceCount;
    if (!count(vertexCount, "vertices")) return false;
    raw.positions.resize(vertexCount);
    for (Vec3& p : raw.positions)
      if (!vec3(p)) return false;
    if (!count(faceCount, "faces")) return false;
    raw.faceStart.reserve(size_t{faceCount} + 1);
    for (uint32_t f = 0; f < faceCount; ++f) {
      uint32_t n;
      if (!count(n, "face corners")) return false;
      for (uint32_t c = 0; c < n; ++c) {
        uint32_t index;
        if (!uint(index)) return false;
        if (index >= vertexCount)
          return fail("face " + std::to_string(f) + " uses vertex " + std::to_string(index) +
                      " but the mesh has " + std::to_string(vertexCount) + " vertices");
        raw.corners.push_back(index);
      }
      raw.faceStart.push_back(static_cast<uint32_t>(raw.corners.size()));
    }
    const bool ok = items(
        false,
        [&](const std::string& ident, const std::string&) {
          if (sameName(ident, "MeshNormals")) return normals(raw);
          if (sameName(ident, "MeshTextureCoords")) return textureCoords(raw);
          if (sameName(ident, "MeshMaterialList")) return materialList(raw);
          return skipBody();
        },
        ignoreReference);
    return ok && addMesh(raw, frameId);
  }

  bool normals(RawMesh& raw) {
    uint32_t normalCount, faceCount;
    if (!count(normalCount, "normals")) return false;
    raw.normals.resize(normalCount);
    for (Vec3& n : raw.normals)
      if (!vec3(n)) return false;
    if (!count(faceCount, "normal faces")) return false;
    if (normalCount == 0 && faceCount == 0) return skipChildren();  // empty: as if absent
    if (faceCount != raw.faceCount())
      return fail("MeshNormals lists " + std::to_string(faceCount) + " faces but the mesh has " +
                  std::to_string(raw.faceCount()));
    raw.normalCorners.clear();
    raw.normalCorners.reserve(raw.corners.size());
    for (uint32_t f = 0; f < faceCount; ++f) {
      uint32_t n;
      if (!uint(n)) return false;
      if (n != raw.faceStart[f + 1] - raw.faceStart[f])
        return fail("MeshNormals face " + std::to_string(f) + " has " + std::to_string(n) +
                    " corners but the mesh face has " +
                    std::to_string(raw.faceStart[f + 1] - raw.faceStart[f]));
      for (uint32_t c = 0; c < n; ++c) {
        uint32_t index;
        if (!uint(index)) return false;
        if (index >= normalCount)
          return fail("MeshNormals face " + std::to_string(f) + " uses normal " +
                      std::to_string(index) + " but there are " + std::to_string(normalCount));
        raw.normalCorners.push_back(index);
      }
    }
    raw.hasNormals = true;
    return skipChildren();
  }

  bool textureCoords(RawMesh& raw) {
    uint32_t n;
    if (!count(n, "texture coordinates")) return false;
    if (n < raw.positions.size())
      return fail("MeshTextureCoords holds " + std::to_string(n) + " coordinates for " +
                  std::to_string(raw.positions.size()) + " vertices");
    raw.uv.resize(raw.positions.size());
    for (uint32_t i = 0; i < n; ++i) {
      Vec2 t;
      if (!real(t.x) || !real(t.y)) return false;
      if (i < raw.uv.size()) raw.uv[i] = t;
    }
    raw.hasUv = true;
    return skipChildren();
  }

  bool materialList(RawMesh& raw) {
    uint32_t materialCount, indexCount;
    if (!count(materialCount, "materials")) return false;
    if (materialCount > X_MAX_MATERIALS)
      return fail("declares " + std::to_string(materialCount) + " materials; at most " +
                  std::to_string(X_MAX_MATERIALS) + " are allowed");
    if (!count(indexCount, "face material indices")) return false;
    raw.faceMaterial.resize(indexCount);
    for (uint32_t f = 0; f < indexCount; ++f) {
      if (!uint(raw.faceMaterial[f])) return false;
      if (raw.faceMaterial[f] >= materialCount)
        return fail("face " + std::to_string(f) + " uses material " +
                    std::to_string(raw.faceMaterial[f]) + " but the list has " +
                    std::to_string(materialCount));
    }
    raw.materials.clear();
    raw.laterNames.clear();
    auto add = [&](const XMaterial& m) {
      if (raw.materials.size() >= materialCount)
        return fail("the material list declares " + std::to_string(materialCount) +
                    " materials but holds more");
      raw.materials.push_back(m);
      return true;
    };
    const bool ok = items(
        false,
        [&](const std::string& ident, const std::string& name) {
          if (!sameName(ident, "Material")) return skipBody();
          XMaterial m;
          if (!material(m)) return false;
          if (!name.empty()) b_.named[name] = m;
          return add(m);
        },
        [&](const std::string& ref) {
          if (ref.empty()) return fail("a material reference without a name");
          const auto it = b_.named.find(ref);
          if (it != b_.named.end()) return add(it->second);
          // The material may come later in the file.
          raw.laterNames.emplace_back(static_cast<uint32_t>(raw.materials.size()), ref);
          return add(defaultMaterial());
        });
    if (!ok) return false;
    if (raw.materials.size() != materialCount)
      return fail("the material list declares " + std::to_string(materialCount) +
                  " materials but holds " + std::to_string(raw.materials.size()));
    raw.hasMaterialList = true;
    return true;
  }

  // faceColor (RGBA) becomes the diffuse colour; specular and emissive are
  // RGB in the file and get alpha 1; ambient stays zero.
  bool material(XMaterial& m) {
    m = XMaterial{};
    platform::Material& d = m.material;
    if (!real(d.diffuse.r) || !real(d.diffuse.g) || !real(d.diffuse.b) || !real(d.diffuse.a) ||
        !real(d.power) || !real(d.specular.r) || !real(d.specular.g) || !real(d.specular.b) ||
        !real(d.emissive.r) || !real(d.emissive.g) || !real(d.emissive.b))
      return false;
    d.specular.a = 1.0f;
    d.emissive.a = 1.0f;
    return items(
        false,
        [&](const std::string& ident, const std::string&) {
          if (!sameName(ident, "TextureFilename")) return skipBody();
          if (!lex_.readString(m.textureFilename)) return lexFail();
          return skipChildren();
        },
        ignoreReference);
  }

  bool namedMaterial(const std::string& name) {
    XMaterial m;
    if (!material(m)) return false;
    if (!name.empty()) b_.named[name] = m;
    return true;
  }

  // Appends one mesh to the merged one: one vertex per file position, plus
  // one more for each further normal that a position is used with.
  bool addMesh(RawMesh& raw, int32_t frameId) {
    XMesh& o = b_.out;
    ++b_.meshCount;
    const size_t base = o.vertices.size();
    if (base + raw.corners.size() + raw.positions.size() >= UNSET)
      return fail("the merged mesh has too many vertices");

    const uint32_t materialBase = static_cast<uint32_t>(o.materials.size());
    if (!raw.hasMaterialList || raw.materials.empty()) {
      raw.faceMaterial.clear();
      raw.materials.assign(1, defaultMaterial());
    }
    if (materialBase + raw.materials.size() > X_MAX_MATERIALS)
      return fail("the file holds more than " + std::to_string(X_MAX_MATERIALS) + " materials");
    o.materials.insert(o.materials.end(), raw.materials.begin(), raw.materials.end());
    for (const auto& [at, name] : raw.laterNames)
      b_.laterNames.emplace_back(materialBase + at, name);

    const uint32_t positionCount = static_cast<uint32_t>(raw.positions.size());
    o.vertices.resize(base + positionCount);
    b_.pointRep.resize(base + positionCount);
    for (uint32_t i = 0; i < positionCount; ++i) {
      platform::MeshVertex& v = o.vertices[base + i];
      v.position = raw.positions[i];
      v.normal = {0.0f, 0.0f, 0.0f};
      v.uv = raw.hasUv ? raw.uv[i] : Vec2{0.0f, 0.0f};
      b_.pointRep[base + i] = static_cast<uint32_t>(base + i);
    }

    std::vector<uint32_t> firstNormal(raw.hasNormals ? positionCount : 0, UNSET);
    std::unordered_map<uint64_t, uint32_t> split;  // (position, normal) -> vertex
    auto vertexOf = [&](uint32_t corner) -> uint32_t {
      const uint32_t p = raw.corners[corner];
      const uint32_t at = static_cast<uint32_t>(base + p);
      if (!raw.hasNormals) return at;
      const uint32_t n = raw.normalCorners[corner];
      if (firstNormal[p] == UNSET) {
        firstNormal[p] = n;
        o.vertices[at].normal = raw.normals[n];
      }
      if (firstNormal[p] == n) return at;
      const uint64_t key = (uint64_t{p} << 32) | n;
      const auto found = split.find(key);
      if (found != split.end()) return found->second;
      const uint32_t added = static_cast<uint32_t>(o.vertices.size());
      platform::MeshVertex v = o.vertices[at];
      v.normal = raw.normals[n];
      o.vertices.push_back(v);
      b_.pointRep.push_back(at);
      split.emplace(key, added);
      return added;
    };

    for (uint32_t f = 0; f < raw.faceCount(); ++f) {
      const uint32_t first = raw.faceStart[f], n = raw.faceStart[f + 1] - first;
      if (n < 3) continue;  // a point or a line draws nothing
      // A short index list repeats its last entry for the remaining faces.
      uint32_t material = 0;
      if (!raw.faceMaterial.empty())
        material = raw.faceMaterial[std::min<size_t>(f, raw.faceMaterial.size() - 1)];
      const uint32_t v0 = vertexOf(first);
      uint32_t previous = vertexOf(first + 1);
      for (uint32_t c = 2; c < n; ++c) {
        const uint32_t current = vertexOf(first + c);
        o.indices.insert(o.indices.end(), {v0, previous, current});
        o.attributes.push_back(materialBase + material);
        previous = current;
      }
    }
    b_.ranges.push_back({frameId, base, o.vertices.size()});
    return true;
  }

  bool finish() {
    XMesh& o = b_.out;
    if (b_.meshCount == 0) return failPlain("the file holds no mesh");
    if (o.indices.empty()) return failPlain("the file's meshes hold no triangles");
    resolveLaterNames();
    applyFrames();
    computeAdjacency();
    return true;
  }

  // Names never defined keep the default white they were given, and are
  // listed once in the mesh's warning.
  void resolveLaterNames() {
    std::vector<std::string> missing;
    for (const auto& [at, name] : b_.laterNames) {
      const auto it = b_.named.find(name);
      if (it != b_.named.end())
        b_.out.materials[at] = it->second;
      else if (std::find(missing.begin(), missing.end(), name) == missing.end())
        missing.push_back(name);
    }
    if (missing.empty()) return;
    std::string list;
    for (const std::string& name : missing) list += (list.empty() ? "'" : ", '") + name + "'";
    b_.out.warning = (missing.size() == 1 ? "material " : "materials ") + list +
                     (missing.size() == 1 ? " is" : " are") +
                     " never defined; drawn in default white";
  }

  void applyFrames() {
    std::vector<Matrix> world(b_.frames.size());
    for (size_t i = 0; i < b_.frames.size(); ++i) {
      const FrameRecord& f = b_.frames[i];
      world[i] = f.parent < 0 ? f.local : multiply(f.local, world[static_cast<size_t>(f.parent)]);
    }
    for (const MeshRange& r : b_.ranges) {
      if (r.frame < 0) continue;
      const Matrix& m = world[static_cast<size_t>(r.frame)];
      if (isIdentity(m)) continue;
      // Normals go through the cofactor matrix (the inverse transpose up to
      // a scale, defined even when the matrix is singular) and keep their
      // length, so unit normals stay unit under scaling frames.
      double cof[3][3];
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
          const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
          cof[i][j] = double{m.m[i1][j1]} * m.m[i2][j2] - double{m.m[i1][j2]} * m.m[i2][j1];
        }
      for (size_t v = r.begin; v < r.end; ++v) {
        platform::MeshVertex& mv = b_.out.vertices[v];
        const Vec3 p = mv.position;
        mv.position = {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
                       p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
                       p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
        const Vec3 n = mv.normal;
        const double t[3] = {n.x * cof[0][0] + n.y * cof[1][0] + n.z * cof[2][0],
                             n.x * cof[0][1] + n.y * cof[1][1] + n.z * cof[2][1],
                             n.x * cof[0][2] + n.y * cof[1][2] + n.z * cof[2][2]};
        const double lenT = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
        const double lenN = std::sqrt(double{n.x} * n.x + double{n.y} * n.y + double{n.z} * n.z);
        const double s = lenT > 0.0 ? lenN / lenT : 0.0;
        mv.normal = {static_cast<float>(t[0] * s), static_cast<float>(t[1] * s),
                     static_cast<float>(t[2] * s)};
      }
    }
  }

  // Two triangles are neighbours across an edge when they share its two file
  // positions; an edge shared by more than two is paired off in file order.
  void computeAdjacency() {
    XMesh& o = b_.out;
    const size_t triangles = o.indices.size() / 3;
    std::vector<std::pair<uint64_t, uint32_t>> edges;
    edges.reserve(triangles * 3);
    for (size_t t = 0; t < triangles; ++t) {
      const uint32_t r[3] = {b_.pointRep[o.indices[3 * t]], b_.pointRep[o.indices[3 * t + 1]],
                             b_.pointRep[o.indices[3 * t + 2]]};
      if (r[0] == r[1] || r[1] == r[2] || r[2] == r[0]) continue;
      for (uint32_t e = 0; e < 3; ++e) {
        const uint32_t a = r[e], c = r[(e + 1) % 3];
        const uint64_t key = (uint64_t{std::min(a, c)} << 32) | std::max(a, c);
        edges.emplace_back(key, static_cast<uint32_t>(3 * t + e));
      }
    }
    std::sort(edges.begin(), edges.end());
    o.adjacency.assign(triangles * 3, NO_ADJACENT_FACE);
    for (size_t i = 0; i < edges.size();) {
      size_t j = i + 1;
      while (j < edges.size() && edges[j].first == edges[i].first) ++j;
      for (size_t k = i; k + 1 < j; k += 2) {
        o.adjacency[edges[k].second] = edges[k + 1].second / 3;
        o.adjacency[edges[k + 1].second] = edges[k].second / 3;
      }
      i = j;
    }
  }

  Lexer& lex_;
  Build& b_;
  uint32_t depth_ = 0;
  std::string error_;
};

template <class Lexer>
bool parseWith(Lexer& lex, XMesh& out, std::string& error) {
  out = XMesh{};
  Build build{out, {}, {}, {}, {}, {}, 0};
  Parser<Lexer> parser(lex, build);
  if (parser.run()) return true;
  out = XMesh{};
  error = parser.error();
  return false;
}

}  // namespace

bool parseXText(const uint8_t* data, size_t size, XMesh& out, std::string& error) {
  XTextLexer lex(data, size);
  return parseWith(lex, out, error);
}

bool parseXBinary(const uint8_t* data, size_t size, bool doubles, size_t base, XMesh& out,
                  std::string& error) {
  XBinaryLexer lex(data, size, doubles, base);
  return parseWith(lex, out, error);
}
