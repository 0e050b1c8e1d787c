#include "render/mesh_load.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <set>

#include "render/draw.hpp"
#include "render/texture_load.hpp"
#include "render_fixture.hpp"
#include "xfile/xfile.hpp"

namespace {

using MeshLoadTest = RenderTest;

// Two separate shapes: a quad (faces 0 and 2, material 1) and a lone
// triangle (face 1, material 0). Vertex 4 is used by no face. Material 2 is
// used by no face either and names a texture that does not exist.
const char* const SHAPES_X = R"(xof 0303txt 0032
Mesh shapes {
 8;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 1.0;0.0;1.0;,
 0.0;0.0;1.0;,
 9.0;9.0;9.0;,
 5.0;0.0;0.0;,
 6.0;0.0;0.0;,
 5.0;0.0;1.0;;
 3;
 3;0,1,2;,
 3;5,6,7;,
 3;0,2,3;;
 MeshMaterialList {
  3;
  3;
  1,
  0,
  1;;
  Material {
   1.0;0.0;0.0;1.0;;
   10.0;
   0.1;0.2;0.3;;
   0.0;0.0;0.0;;
   TextureFilename { "red.png"; }
  }
  Material {
   0.0;1.0;0.0;0.5;;
   5.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
  }
  Material {
   0.0;0.0;1.0;1.0;;
   1.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
   TextureFilename { "missing.png"; }
  }
 }
}
)";

class LoadedShapes : public MeshLoadTest {
 protected:
  void SetUp() override {
    MeshLoadTest::SetUp();
    writeFile("Data/shapes.x", SHAPES_X);
    // The texture lies in the working folder, not beside the mesh file.
    const uint8_t red[] = {255, 0, 0, 255};
    stbi_write_png("red.png", 1, 1, 4, red, 4);
  }

  // The positions of face f of a null-device mesh, in winding order.
  static std::vector<std::array<float, 3>> corners(const platform::null::NullMesh& m, uint32_t f) {
    std::vector<std::array<float, 3>> out;
    for (int k = 0; k < 3; ++k) {
      const Vec3& p = m.vertices[m.indices[f * 3 + k]].position;
      out.push_back({p.x, p.y, p.z});
    }
    return out;
  }

  // True when `got` is `want` up to where the triangle starts.
  static bool sameTriangle(std::vector<std::array<float, 3>> got,
                           const std::vector<std::array<float, 3>>& want) {
    for (int r = 0; r < 3; ++r) {
      if (got == want) return true;
      std::rotate(got.begin(), got.begin() + 1, got.end());
    }
    return false;
  }
};

TEST_F(LoadedShapes, FacesAreGroupedByMaterialAndUnusedVerticesDropped) {
  ObjectTable.posX[4] = 5;
  ObjectTable.scaleY[4] = 3;
  loadMeshIntoSlot(4, "Data/shapes.x");
  ASSERT_TRUE(ObjectTable.mesh[4]);
  EXPECT_EQ(ObjectTable.posX[4], 0.0f);
  EXPECT_EQ(ObjectTable.scaleY[4], 1.2f);
  ASSERT_EQ(ObjectTable.materialCount[4], 3u);
  const platform::null::NullMesh& m = dev().meshes.at(ObjectTable.mesh[4]->gpu);
  ASSERT_EQ(m.subsets.size(), 3u);
  EXPECT_EQ(m.subsets[0].faceStart, 0u);
  EXPECT_EQ(m.subsets[0].faceCount, 1u);
  EXPECT_EQ(m.subsets[1].faceStart, 1u);
  EXPECT_EQ(m.subsets[1].faceCount, 2u);
  EXPECT_EQ(m.subsets[2].faceCount, 0u);  // the unused material keeps an empty range
  EXPECT_EQ(m.vertices.size(), 7u);       // the unused vertex (9,9,9) is gone
  EXPECT_TRUE(sameTriangle(corners(m, 0), {{5, 0, 0}, {6, 0, 0}, {5, 0, 1}}));
  // The quad's two faces, in either order, each with its winding kept.
  const std::vector<std::array<float, 3>> a{{0, 0, 0}, {1, 0, 0}, {1, 0, 1}};
  const std::vector<std::array<float, 3>> b{{0, 0, 0}, {1, 0, 1}, {0, 0, 1}};
  EXPECT_TRUE((sameTriangle(corners(m, 1), a) && sameTriangle(corners(m, 2), b)) ||
              (sameTriangle(corners(m, 1), b) && sameTriangle(corners(m, 2), a)));
  // Vertices come in order of first use: the first face uses 0, 1, 2.
  std::set<uint32_t> firstFace(m.indices.begin(), m.indices.begin() + 3);
  EXPECT_EQ(firstFace, (std::set<uint32_t>{0, 1, 2}));
  // The CPU copy matches what went to the device.
  EXPECT_EQ(ObjectTable.mesh[4]->indices, m.indices);
  EXPECT_EQ(ObjectTable.mesh[4]->positions.size(), 7u);
}

TEST_F(LoadedShapes, AdjacencyFollowsTheNewFaceOrder) {
  loadMeshIntoSlot(4, "Data/shapes.x");
  ASSERT_TRUE(ObjectTable.mesh[4]);
  const Mesh& mesh = *ObjectTable.mesh[4];
  ASSERT_EQ(mesh.adjacency.size(), 9u);
  // The lone triangle (face 0 now) has no neighbour.
  for (int e = 0; e < 3; ++e) EXPECT_EQ(mesh.adjacency[e], NO_ADJACENT_FACE);
  // Faces 1 and 2 meet once, across the edge from (0,0,0) to (1,0,1).
  for (uint32_t f : {1u, 2u}) {
    const uint32_t other = 3 - f;
    int across = 0;
    for (uint32_t e = 0; e < 3; ++e) {
      const uint32_t n = mesh.adjacency[f * 3 + e];
      if (n == NO_ADJACENT_FACE) continue;
      ++across;
      EXPECT_EQ(n, other);
      const Vec3 p = mesh.positions[mesh.indices[f * 3 + e]];
      const Vec3 q = mesh.positions[mesh.indices[f * 3 + (e + 1) % 3]];
      EXPECT_EQ(p.x + q.x, 1.0f);  // one end at x 0, the other at x 1
      EXPECT_EQ(p.z + q.z, 1.0f);
    }
    EXPECT_EQ(across, 1) << "face " << f;
  }
}

TEST_F(LoadedShapes, MaterialsTakeDiffuseAsAmbientAndTexturesByName) {
  ::testing::internal::CaptureStderr();
  loadMeshIntoSlot(4, "Data/shapes.x");
  const std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(ObjectTable.materialCount[4], 3u);
  const platform::Material& red = ObjectTable.materials[4][0];
  EXPECT_EQ(red.diffuse.r, 1.0f);
  EXPECT_EQ(red.ambient.r, 1.0f);
  EXPECT_EQ(red.ambient.a, 1.0f);
  EXPECT_EQ(red.power, 10.0f);
  const platform::Material& green = ObjectTable.materials[4][1];
  EXPECT_EQ(green.ambient.g, 1.0f);
  EXPECT_EQ(green.ambient.a, 0.5f);
  ASSERT_EQ(ObjectTable.textures[4].size(), 3u);
  EXPECT_NE(ObjectTable.textures[4][0], 0u);
  EXPECT_EQ(ObjectTable.textures[4][1], 0u);  // no texture named
  EXPECT_EQ(ObjectTable.textures[4][2], 0u);  // named but missing
  EXPECT_NE(err.find("missing.png"), std::string::npos);
  // Loading sets no device state.
  EXPECT_EQ(dev().log.count("setRenderState"), 0);
  EXPECT_EQ(dev().log.count("setTexture"), 0);
}

TEST_F(LoadedShapes, ReloadReleasesTheOldMeshAndTextures) {
  loadMeshIntoSlot(4, "Data/shapes.x");
  ASSERT_TRUE(ObjectTable.mesh[4]);
  const platform::MeshHandle oldMesh = ObjectTable.mesh[4]->gpu;
  const platform::TextureHandle oldTexture = ObjectTable.textures[4][0];
  loadMeshIntoSlot(4, "Data/shapes.x");
  EXPECT_EQ(dev().meshes.count(oldMesh), 0u);
  EXPECT_EQ(dev().textures.count(oldTexture), 0u);
  EXPECT_EQ(dev().meshes.size(), 1u);
  EXPECT_EQ(dev().textures.size(), 1u);
}

TEST_F(LoadedShapes, CloneKeepsTheMeshItBorrowedWhenTheSourceIsReloaded) {
  loadMeshIntoSlot(4, "Data/shapes.x");
  ASSERT_TRUE(ObjectTable.mesh[4]);
  cloneSlot(4, 70);
  const platform::MeshHandle borrowed = ObjectTable.mesh[4]->gpu;
  writeFile("Data/shapes.x", "xof 0303txt 0032\nbroken {");
  ::testing::internal::CaptureStderr();
  loadMeshIntoSlot(4, "Data/shapes.x");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("shapes.x"), std::string::npos);
  EXPECT_FALSE(ObjectTable.mesh[4]);
  ASSERT_TRUE(ObjectTable.sharedMesh[70]);
  EXPECT_EQ(ObjectTable.sharedMesh[70]->gpu, borrowed);
  EXPECT_EQ(dev().meshes.count(borrowed), 1u);
  // Drawn with the source's texture entries, which are gone now: untextured.
  drawSlot(70);
  EXPECT_EQ(dev().log.count("drawSubset"), 3);
  EXPECT_EQ(dev().texture, 0u);
}

TEST_F(LoadedShapes, PicksHitTheLoadedTriangles) {
  loadMeshIntoSlot(25, "Data/shapes.x");
  ASSERT_TRUE(ObjectTable.mesh[25]);
  // Straight up from below the quad and the lone triangle; beside both, nothing.
  EXPECT_TRUE(intersectMesh(*ObjectTable.mesh[25], {0.5f, -1, 0.5f}, {0, 1, 0}));
  EXPECT_TRUE(intersectMesh(*ObjectTable.mesh[25], {5.2f, -1, 0.2f}, {0, 1, 0}));
  EXPECT_FALSE(intersectMesh(*ObjectTable.mesh[25], {3, -1, 0.5f}, {0, 1, 0}));
  EXPECT_FALSE(intersectMesh(*ObjectTable.mesh[25], {0.5f, 1, 0.5f}, {0, 1, 0}));
}

TEST_F(MeshLoadTest, MissingFileLeavesTheSlotEmptyWithAMessage) {
  fillSlot(6, {material(1, 1, 1, 1)}, {0});
  ObjectTable.textures[6][0] = makeTexture();
  const platform::TextureHandle old = ObjectTable.textures[6][0];
  ::testing::internal::CaptureStderr();
  loadMeshIntoSlot(6, "Data/nothere.x");
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Data/nothere.x"), std::string::npos);
  EXPECT_FALSE(ObjectTable.mesh[6]);
  EXPECT_EQ(ObjectTable.materialCount[6], 0u);
  EXPECT_TRUE(ObjectTable.textures[6].empty());
  EXPECT_EQ(dev().textures.count(old), 0u);
  EXPECT_TRUE(dev().meshes.empty());
  const size_t from = dev().log.calls().size();
  drawSlot(6);
  EXPECT_EQ(callsSince(from).size(), 3u);  // two states and the transform
}

size_t occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Scene set-up loads Data/sph.x into five slots in a row: what is wrong with
// it is said once, not five times, and said again after another load.
TEST_F(MeshLoadTest, OneFileLoadedIntoSeveralSlotsInARowIsReportedOnce) {
  writeFile("Data/sph.x", "xof 0303txt 0032\nMesh {");
  ::testing::internal::CaptureStderr();
  for (SlotId slot = 3; slot <= 7; ++slot) loadMeshIntoSlot(slot, "Data/sph.x");
  loadMeshIntoSlot(8, "Data/nothere.x");
  loadMeshIntoSlot(9, "Data/sph.x");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(occurrences(err, "Data/sph.x"), 2u) << err;
  EXPECT_EQ(occurrences(err, "Data/nothere.x"), 1u) << err;
  EXPECT_FALSE(ObjectTable.mesh[7]);

  // A material never defined: each slot loads, in white, with one message.
  writeFile("Data/sph.x", R"(xof 0303txt 0032
Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;0.0;1.0;; 1; 3;0,1,2;;
 MeshMaterialList { 1; 1; 0;; { Chrome } } }
)");
  ::testing::internal::CaptureStderr();
  for (SlotId slot = 3; slot <= 7; ++slot) loadMeshIntoSlot(slot, "Data/sph.x");
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(occurrences(err, "material 'Chrome' is never defined"), 1u) << err;
  for (SlotId slot = 3; slot <= 7; ++slot) {
    ASSERT_TRUE(ObjectTable.mesh[slot]) << slot;
    ASSERT_EQ(ObjectTable.materialCount[slot], 1u);
    EXPECT_EQ(ObjectTable.materials[slot][0].diffuse.g, 1.0f);
  }
}

TEST_F(MeshLoadTest, SlotsOutsideTheirRangeAreRefused) {
  ObjectTable.posX[1000] = 4;
  ObjectTable.posX[2512] = 4;
  ::testing::internal::CaptureStderr();
  loadMeshIntoSlot(1000, "Data/any.x");
  loadMeshIntoSlot(-1, "Data/any.x");
  cloneSlot(2, 2512);
  cloneSlot(2512, 2);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("999"), std::string::npos);
  EXPECT_NE(err.find("2511"), std::string::npos);
  EXPECT_EQ(ObjectTable.posX[1000], 4.0f);
  EXPECT_EQ(ObjectTable.posX[2512], 4.0f);
  EXPECT_EQ(ObjectTable.scaleY[2], 0.0f);
}

TEST_F(MeshLoadTest, CloneBorrowsMeshCopiesMaterialsAndTakesAFreshPose) {
  fillSlot(2, {material(1, 0, 0, 1), material(0, 1, 0, 1)}, {0, 0});
  ObjectTable.posX[2] = 8;
  ObjectTable.posY[51] = 3;
  ObjectTable.scaleX[51] = 7;
  cloneSlot(2, 51);
  EXPECT_FALSE(ObjectTable.mesh[51]);
  EXPECT_EQ(ObjectTable.sharedMesh[51], ObjectTable.mesh[2]);
  EXPECT_EQ(ObjectTable.materialCount[51], 0u);
  EXPECT_EQ(ObjectTable.sharedMaterialCount[51], 2u);
  EXPECT_EQ(ObjectTable.textureSourceSlot[51], 2);
  EXPECT_EQ(ObjectTable.posY[51], 0.0f);
  EXPECT_EQ(ObjectTable.scaleX[51], 1.0f);
  EXPECT_EQ(ObjectTable.scaleY[51], 1.2f);
  // Poses and materials are each slot's own from now on.
  ObjectTable.posX[51] = -9;
  ObjectTable.materials[2][0].diffuse.r = 0.25f;
  EXPECT_EQ(ObjectTable.posX[2], 8.0f);
  ASSERT_EQ(ObjectTable.materials[51].size(), 2u);
  EXPECT_EQ(ObjectTable.materials[51][0].diffuse.r, 1.0f);
  // Cloning must not set device state.
  EXPECT_EQ(dev().log.count("setRenderState"), 0);
}

TEST_F(MeshLoadTest, CloneOfACloneIsEmpty) {
  fillSlot(2, {material(1, 0, 0, 1)});
  cloneSlot(2, 51);
  cloneSlot(51, 52);
  EXPECT_FALSE(ObjectTable.mesh[52]);
  EXPECT_FALSE(ObjectTable.sharedMesh[52]);
  EXPECT_EQ(ObjectTable.sharedMaterialCount[52], 0u);
  drawSlot(52);
  EXPECT_EQ(dev().log.count("drawSubset"), 0);
}

TEST_F(MeshLoadTest, CloningASlotIntoItselfKeepsItsModel) {
  fillSlot(9, {material(1, 0, 0, 1)});
  const platform::MeshHandle gpu = ObjectTable.mesh[9]->gpu;
  cloneSlot(9, 9);
  ASSERT_TRUE(ObjectTable.sharedMesh[9]);
  EXPECT_EQ(ObjectTable.sharedMesh[9]->gpu, gpu);
  EXPECT_EQ(dev().meshes.count(gpu), 1u);
  drawSlot(9);
  EXPECT_EQ(dev().log.count("drawSubset"), 1);
}

TEST_F(MeshLoadTest, ResetReleasesEverythingTheTableHolds) {
  fillSlot(2, {material(1, 0, 0, 1)}, {makeTexture()});
  cloneSlot(2, 50);
  resetObjectTable();
  EXPECT_TRUE(dev().meshes.empty());
  EXPECT_TRUE(dev().textures.empty());
  EXPECT_TRUE(ObjectTable.materials[50].empty());
  EXPECT_EQ(ObjectTable.sharedMaterialCount[50], 0u);
}

}  // namespace
