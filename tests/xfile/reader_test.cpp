// The reader on small hand-written files. Each file is read as text, as
// binary with 32- and 64-bit floats and compressed (text and binary), and
// every form must give the mesh worked out by hand below.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "xfile/xfile.hpp"
#include "xfile_writer.hpp"

namespace {

using platform::Vec3;
using xtest::Bytes;

constexpr uint32_t NA = NO_ADJACENT_FACE;

struct Form {
  const char* name;
  std::function<Bytes(const std::string&)> make;
};

const std::vector<Form>& forms() {
  static const std::vector<Form> all = {
      {"text", xtest::textFile},
      {"binary32", [](const std::string& t) { return xtest::binaryFile(t, false); }},
      {"binary64", [](const std::string& t) { return xtest::binaryFile(t, true); }},
      {"text zip", [](const std::string& t) { return xtest::textZipFile(t); }},
      {"text zip, small blocks", [](const std::string& t) { return xtest::textZipFile(t, 64); }},
      {"binary zip", [](const std::string& t) { return xtest::binaryZipFile(t, false); }},
      {"binary64 zip", [](const std::string& t) { return xtest::binaryZipFile(t, true); }},
  };
  return all;
}

void expectSameMesh(const XMesh& a, const XMesh& b) {
  ASSERT_EQ(a.vertices.size(), b.vertices.size());
  for (size_t i = 0; i < a.vertices.size(); ++i) {
    const auto &u = a.vertices[i], &v = b.vertices[i];
    EXPECT_EQ(u.position.x, v.position.x) << "vertex " << i;
    EXPECT_EQ(u.position.y, v.position.y) << "vertex " << i;
    EXPECT_EQ(u.position.z, v.position.z) << "vertex " << i;
    EXPECT_EQ(u.normal.x, v.normal.x) << "vertex " << i;
    EXPECT_EQ(u.normal.y, v.normal.y) << "vertex " << i;
    EXPECT_EQ(u.normal.z, v.normal.z) << "vertex " << i;
    EXPECT_EQ(u.uv.x, v.uv.x) << "vertex " << i;
    EXPECT_EQ(u.uv.y, v.uv.y) << "vertex " << i;
  }
  EXPECT_EQ(a.indices, b.indices);
  EXPECT_EQ(a.attributes, b.attributes);
  EXPECT_EQ(a.adjacency, b.adjacency);
  ASSERT_EQ(a.materials.size(), b.materials.size());
  for (size_t i = 0; i < a.materials.size(); ++i) {
    EXPECT_EQ(0, std::memcmp(&a.materials[i].material, &b.materials[i].material,
                             sizeof(platform::Material)))
        << "material " << i;
    EXPECT_EQ(a.materials[i].textureFilename, b.materials[i].textureFilename);
  }
  EXPECT_EQ(a.warning, b.warning);
}

// Reads `text` in every form; all must succeed and agree with the text form,
// which is returned.
XMesh readAllForms(const std::string& text) {
  XMesh first;
  for (const Form& f : forms()) {
    SCOPED_TRACE(f.name);
    XMesh m;
    std::string error;
    EXPECT_TRUE(xtest::parse(f.make(text), m, error)) << error;
    if (&f == &forms().front())
      first = m;
    else
      expectSameMesh(first, m);
  }
  return first;
}

void expectVec(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

void expectColor(const platform::ColorValue& c, float r, float g, float b, float a) {
  EXPECT_FLOAT_EQ(c.r, r);
  EXPECT_FLOAT_EQ(c.g, g);
  EXPECT_FLOAT_EQ(c.b, b);
  EXPECT_FLOAT_EQ(c.a, a);
}

const std::string MATERIALS = R"(xof 0303txt 0032
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
# A top-level material, used by reference only.
Material Red {
 1.0;0.0;0.0;1.0;;
 8.0;
 0.5;0.5;0.5;;
 0.0;0.0;0.0;;
}
Header { 1; 0; 1; }
Mesh quad {
 4;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 1.0;0.0;1.0;,
 0.0;0.0;1.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
 MeshMaterialList {
  3;
  2;
  2,
  0;;
  { Red }
  Material Unused {
   0.0;1.0;0.0;0.5;;
   2.0;
   0.1;0.2;0.3;;
   0.4;0.5;0.6;;
   TextureFilename { "Data\grass.bmp"; }
  }
  Material {
   0.0;0.0;1.0;1.0;;
   0.0;
   0.0;0.0;0.0;;
   1.0;1.0;1.0;;
  }
 }
}
)";

TEST(XFileReader, MaterialsStayInFileOrderWithUnusedOnesKept) {
  const XMesh m = readAllForms(MATERIALS);
  ASSERT_EQ(m.materials.size(), 3u);
  const platform::Material& red = m.materials[0].material;
  expectColor(red.diffuse, 1, 0, 0, 1);
  EXPECT_FLOAT_EQ(red.power, 8.0f);
  expectColor(red.specular, 0.5f, 0.5f, 0.5f, 1);
  expectColor(red.emissive, 0, 0, 0, 1);
  expectColor(red.ambient, 0, 0, 0, 0);
  EXPECT_EQ(m.materials[0].textureFilename, "");
  const platform::Material& unused = m.materials[1].material;
  expectColor(unused.diffuse, 0, 1, 0, 0.5f);
  EXPECT_FLOAT_EQ(unused.power, 2.0f);
  expectColor(unused.specular, 0.1f, 0.2f, 0.3f, 1);
  expectColor(unused.emissive, 0.4f, 0.5f, 0.6f, 1);
  EXPECT_EQ(m.materials[1].textureFilename, "Data\\grass.bmp");
  expectColor(m.materials[2].material.diffuse, 0, 0, 1, 1);
  expectColor(m.materials[2].material.emissive, 1, 1, 1, 1);

  EXPECT_EQ(m.attributes, (std::vector<uint32_t>{2, 0}));
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
  ASSERT_EQ(m.vertices.size(), 4u);
  expectVec(m.vertices[2].position, 1, 0, 1);
  expectVec(m.vertices[2].normal, 0, 0, 0);  // no MeshNormals
}

// Blue comes after the mesh that names it; Nowhere is never defined.
const std::string LATE_MATERIALS = R"(xof 0303txt 0032
Mesh quad {
 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;0.0;1.0;, 0.0;0.0;1.0;;
 3; 3;0,1,2;, 3;0,2,3;, 3;0,3,1;;
 MeshMaterialList { 3; 3; 0, 1, 2;; { Blue } { Nowhere } { Nowhere } }
}
Material Blue { 0.0;0.0;1.0;1.0;; 3.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "t.bmp"; } }
)";

TEST(XFileReader, MaterialNamesResolveOverTheWholeFileAndUnknownOnesTurnWhite) {
  const XMesh m = readAllForms(LATE_MATERIALS);
  ASSERT_EQ(m.materials.size(), 3u);
  expectColor(m.materials[0].material.diffuse, 0, 0, 1, 1);
  EXPECT_FLOAT_EQ(m.materials[0].material.power, 3.0f);
  EXPECT_EQ(m.materials[0].textureFilename, "t.bmp");
  for (int i : {1, 2}) {
    expectColor(m.materials[i].material.diffuse, 1, 1, 1, 1);
    EXPECT_EQ(m.materials[i].textureFilename, "");
  }
  EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 1, 2}));
  // One message, naming the missing material once.
  EXPECT_EQ(m.warning, "test.x: material 'Nowhere' is never defined; drawn in default white");
}

// Root scales by 2 and moves by +10 in x; Child turns a quarter about y
// (+x goes to -z) and moves by +5 in z, inside Root.
const std::string FRAMES = R"(xof 0302txt 0064
Frame Root {
 FrameTransformMatrix {
  2.0,0.0,0.0,0.0,
  0.0,2.0,0.0,0.0,
  0.0,0.0,2.0,0.0,
  10.0,0.0,0.0,1.0;;
 }
 Mesh A {
  3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;
  1; 3;0,1,2;;
  MeshNormals { 1; 0.0;0.0;-1.0;; 1; 3;0,0,0;; }
 }
 Frame Child {
  FrameTransformMatrix {
   0.0,0.0,-1.0,0.0,
   0.0,1.0,0.0,0.0,
   1.0,0.0,0.0,0.0,
   0.0,0.0,5.0,1.0;;
  }
  Mesh B {
   3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;
   1; 3;0,1,2;;
   MeshNormals { 1; 0.0;0.0;-1.0;; 1; 3;0,0,0;; }
  }
 }
}
)";

TEST(XFileReader, FramesAreMergedWithChildTimesParentTransforms) {
  const XMesh m = readAllForms(FRAMES);
  ASSERT_EQ(m.vertices.size(), 6u);
  expectVec(m.vertices[0].position, 10, 0, 0);
  expectVec(m.vertices[1].position, 12, 0, 0);
  expectVec(m.vertices[2].position, 10, 2, 0);
  expectVec(m.vertices[0].normal, 0, 0, -1);  // scaling keeps unit normals unit
  expectVec(m.vertices[3].position, 10, 0, 10);
  expectVec(m.vertices[4].position, 10, 0, 8);
  expectVec(m.vertices[5].position, 10, 2, 10);
  expectVec(m.vertices[3].normal, -1, 0, 0);
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
  // Two meshes without material lists: one default material each.
  ASSERT_EQ(m.materials.size(), 2u);
  EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(m.adjacency, std::vector<uint32_t>(6, NA));
}

const std::string NON_UNIFORM = R"(xof 0303txt 0032
Frame F {
 FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,2.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
 Mesh {
  3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;-1.0;;
  1; 3;0,1,2;;
  MeshNormals { 1; 0.0;0.70710678;0.70710678;; 1; 3;0,0,0;; }
 }
}
)";

TEST(XFileReader, NormalsStayPerpendicularUnderNonUniformScale) {
  // The face spans (1,0,0) and (0,1,-1); stretched by 2 in y the second edge
  // is (0,2,-1), so the unit normal becomes (0,1,2)/sqrt(5).
  const XMesh m = readAllForms(NON_UNIFORM);
  ASSERT_EQ(m.vertices.size(), 3u);
  expectVec(m.vertices[2].position, 0, 2, -1);
  const float s = 1.0f / std::sqrt(5.0f);
  expectVec(m.vertices[0].normal, 0, s, 2 * s);
}

const std::string POLYGONS = R"(xof 0303txt 0032
Mesh polygons {
 9;
 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;,
 5.0;0.0;0.0;, 6.0;0.0;0.0;, 6.5;1.0;0.0;, 5.5;2.0;0.0;, 4.5;1.0;0.0;;
 2;
 4;0,1,2,3;,
 5;4,5,6,7,8;;
 MeshMaterialList {
  2; 2; 0, 1;;
  Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material { 0.5;0.5;0.5;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";

TEST(XFileReader, PolygonsAreFannedFromTheirFirstCorner) {
  const XMesh m = readAllForms(POLYGONS);
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 4, 7, 8}));
  EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 0, 1, 1, 1}));
  EXPECT_EQ(m.faceCount(), 5u);
  EXPECT_EQ(m.adjacency, (std::vector<uint32_t>{NA, NA, 1, 0, NA, NA,  //
                                                NA, NA, 3, 2, NA, 4, 3, NA, NA}));
}

// Each triangle of the quad has its own normal, so the shared corners 0 and
// 2 are split; adjacency still joins the triangles across the 0-2 edge.
const std::string FACETED_QUAD = R"(xof 0303txt 0032
Mesh quad {
 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;0.0;1.0;, 0.0;0.0;1.0;;
 2; 3;0,1,2;, 3;0,2,3;;
 MeshNormals {
  2; 0.0;1.0;0.0;, 0.0;-1.0;0.0;;
  2; 3;0,0,0;, 3;1,1,1;;
 }
 MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }
}
)";

TEST(XFileReader, CornersSplitPerNormalAndAdjacencyFollowsPositions) {
  const XMesh m = readAllForms(FACETED_QUAD);
  ASSERT_EQ(m.vertices.size(), 6u);
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 4, 5, 3}));
  expectVec(m.vertices[0].normal, 0, 1, 0);
  expectVec(m.vertices[3].normal, 0, -1, 0);
  expectVec(m.vertices[4].position, 0, 0, 0);
  expectVec(m.vertices[4].normal, 0, -1, 0);
  expectVec(m.vertices[5].position, 1, 0, 1);
  EXPECT_EQ(m.vertices[5].uv.x, 1.0f);  // texture coordinates follow the position
  EXPECT_EQ(m.vertices[5].uv.y, 1.0f);
  EXPECT_EQ(m.adjacency, (std::vector<uint32_t>{NA, NA, 1, 0, NA, NA}));
}

const std::string NO_MATERIALS = R"(xof 0303txt 0032
Mesh {
 3; 0.0;0.0;0.0;, 0.0;0.0;1.0;, 1.0;0.0;0.0;;
 1; 3;0,1,2;;
}
)";

TEST(XFileReader, AMeshWithoutMaterialListGetsOneWhiteMaterial) {
  const XMesh m = readAllForms(NO_MATERIALS);
  ASSERT_EQ(m.materials.size(), 1u);
  expectColor(m.materials[0].material.diffuse, 1, 1, 1, 1);
  EXPECT_EQ(m.materials[0].textureFilename, "");
  EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0}));
  // Winding and coordinates as written.
  EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2}));
  expectVec(m.vertices[1].position, 0, 0, 1);
}

TEST(XFileReader, ShortFaceIndexListRepeatsItsLastEntry) {
  const std::string text = R"(xof 0303txt 0032
Mesh {
 4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;
 3; 3;0,1,2;, 3;0,2,3;, 3;0,1,3;;
 MeshMaterialList { 2; 2; 0, 1;;
  Material { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
  Material { 0.0;1.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";
  EXPECT_EQ(readAllForms(text).attributes, (std::vector<uint32_t>{0, 1, 1}));
}

TEST(XFileReader, TextNamesMayStartWithADigitAndEmptyNormalsAreIgnored) {
  const std::string text = R"(xof 0303txt 0032
Material 2Tone { 0.0;0.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
Frame 01_Body {
 Mesh 3 {
  3; 0.0;0.0;0.0;, 0.0;0.0;1.0;, 1.0;0.0;0.0;;
  1; 3;0,1,2;;
  MeshNormals { 0;; 0;; }
  MeshMaterialList { 1; 1; 0;; { 2Tone } }
 }
}
)";
  XMesh m;
  std::string error;
  ASSERT_TRUE(xtest::parse(xtest::textFile(text), m, error)) << error;
  ASSERT_EQ(m.materials.size(), 1u);
  expectColor(m.materials[0].material.diffuse, 0, 0, 1, 1);
  ASSERT_EQ(m.vertices.size(), 3u);
  expectVec(m.vertices[0].normal, 0, 0, 0);
}

// Enough data to need several compressed blocks, each with the history of
// the blocks before it.
TEST(XFileReader, LargeFilesSpanManyCompressedBlocks) {
  const int n = 60;
  std::string text = "xof 0303txt 0032\nMesh grid {\n" + std::to_string(n * n) + ";\n";
  for (int z = 0; z < n; ++z)
    for (int x = 0; x < n; ++x)
      text += std::to_string(x) + ".0;" + std::to_string((x * z) % 7) + ".25;" + std::to_string(z) +
              ".0;" + (x == n - 1 && z == n - 1 ? ";\n" : ",\n");
  text += std::to_string((n - 1) * (n - 1)) + ";\n";
  for (int z = 0; z + 1 < n; ++z)
    for (int x = 0; x + 1 < n; ++x) {
      const int a = z * n + x;
      text += "4;" + std::to_string(a) + "," + std::to_string(a + n) + "," +
              std::to_string(a + n + 1) + "," + std::to_string(a + 1) + ";" +
              (x == n - 2 && z == n - 2 ? ";\n" : ",\n");
    }
  text += "}\n";
  ASSERT_GT(text.size(), 3u * 32768u);
  const XMesh m = readAllForms(text);
  EXPECT_EQ(m.vertices.size(), size_t{n * n});
  EXPECT_EQ(m.faceCount(), uint32_t{2 * (n - 1) * (n - 1)});
  // Quad (0,60,61,1) fans into (0,60,61) and (0,61,1); the second triangle's
  // first edge 0-61 is the first triangle's last edge.
  EXPECT_EQ(m.adjacency[2], 1u);
  EXPECT_EQ(m.adjacency[3], 0u);
}

}  // namespace
