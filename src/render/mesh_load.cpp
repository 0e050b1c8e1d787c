#include "render/mesh_load.hpp"

#include <meshoptimizer.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "render/graphics_device.hpp"
#include "render/texture_load.hpp"
#include "xfile/xfile.hpp"

namespace {

struct Optimised {
  std::vector<platform::MeshVertex> vertices;
  std::vector<uint32_t> indices;
  std::vector<uint32_t> adjacency;
  std::vector<platform::SubsetRange> subsets;  // one per material
};

// The rotation that puts the lexicographically smallest corner order first,
// so a triangle is recognised however the optimiser starts it.
int canonicalRotation(const uint32_t* t) {
  int best = 0;
  for (int r = 1; r < 3; ++r) {
    const std::array<uint32_t, 3> a{t[r], t[(r + 1) % 3], t[(r + 2) % 3]};
    const std::array<uint32_t, 3> b{t[best], t[(best + 1) % 3], t[(best + 2) % 3]};
    if (a < b) best = r;
  }
  return best;
}

uint64_t triangleKey(const uint32_t* t, int r) {
  // Mixing is enough here: equal keys are checked against the corners below.
  const uint64_t a = t[r], b = t[(r + 1) % 3], c = t[(r + 2) % 3];
  return (a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full) ^ (c + (c << 21));
}

// Faces grouped by material (stable, in material order), each group in
// vertex-cache order, unused vertices dropped and the rest in order of first
// use; the adjacency follows the faces and their corner rotation.
Optimised optimise(const XMesh& in, uint32_t materialCount) {
  const uint32_t faces = in.faceCount();
  Optimised out;
  out.subsets.resize(materialCount);

  // Stable counting sort of the faces by attribute.
  std::vector<uint32_t> start(materialCount + 1, 0);
  for (uint32_t f = 0; f < faces; ++f) ++start[in.attributes[f] + 1];
  for (uint32_t m = 0; m < materialCount; ++m) start[m + 1] += start[m];
  std::vector<uint32_t> order(faces);
  {
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (uint32_t f = 0; f < faces; ++f) order[next[in.attributes[f]]++] = f;
  }

  std::vector<uint32_t> sorted(size_t{faces} * 3);
  for (uint32_t i = 0; i < faces; ++i)
    std::copy_n(&in.indices[size_t{order[i]} * 3], 3, &sorted[size_t{i} * 3]);

  out.indices.resize(sorted.size());
  std::vector<uint32_t> newOf(faces);  // old face -> new face
  std::vector<uint8_t> turn(faces);    // new corner j is old corner (j + turn) % 3
  const size_t vertexCount = in.vertices.size();
  for (uint32_t m = 0; m < materialCount; ++m) {
    const uint32_t first = start[m], count = start[m + 1] - start[m];
    out.subsets[m] = {first, count};
    if (count == 0) continue;
    const uint32_t* src = &sorted[size_t{first} * 3];
    uint32_t* dst = &out.indices[size_t{first} * 3];
    meshopt_optimizeVertexCache(dst, src, size_t{count} * 3, vertexCount);

    // The optimiser gives no face remap; find each face again by its corners.
    std::unordered_multimap<uint64_t, uint32_t> byCorners;
    byCorners.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t* t = &src[size_t{i} * 3];
      byCorners.emplace(triangleKey(t, canonicalRotation(t)), i);
    }
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t* t = &dst[size_t{i} * 3];
      const int rn = canonicalRotation(t);
      auto [lo, hi] = byCorners.equal_range(triangleKey(t, rn));
      for (auto it = lo; it != hi; ++it) {
        const uint32_t* o = &src[size_t{it->second} * 3];
        const int ro = canonicalRotation(o);
        if (o[ro] == t[rn] && o[(ro + 1) % 3] == t[(rn + 1) % 3] &&
            o[(ro + 2) % 3] == t[(rn + 2) % 3]) {
          const uint32_t newFace = first + i;
          newOf[order[first + it->second]] = newFace;
          turn[newFace] = static_cast<uint8_t>((ro - rn + 3) % 3);
          byCorners.erase(it);
          break;
        }
      }
    }
  }

  if (in.adjacency.size() == size_t{faces} * 3) {
    out.adjacency.resize(in.adjacency.size());
    for (uint32_t f = 0; f < faces; ++f) {
      const uint32_t nf = newOf[f];
      for (uint32_t j = 0; j < 3; ++j) {
        const uint32_t across = in.adjacency[size_t{f} * 3 + (j + turn[nf]) % 3];
        out.adjacency[size_t{nf} * 3 + j] = across < faces ? newOf[across] : NO_ADJACENT_FACE;
      }
    }
  } else {
    out.adjacency.assign(size_t{faces} * 3, NO_ADJACENT_FACE);
  }

  out.vertices.resize(vertexCount);
  const size_t used =
      meshopt_optimizeVertexFetch(out.vertices.data(), out.indices.data(), out.indices.size(),
                                  in.vertices.data(), vertexCount, sizeof(platform::MeshVertex));
  out.vertices.resize(used);
  out.vertices.shrink_to_fit();
  return out;
}

// The reader promises these; a mesh that breaks them would send the
// optimiser or the device out of bounds, so they are checked once more.
// An empty string when sound, else what is wrong.
std::string meshProblem(const XMesh& m) {
  const uint32_t faces = m.faceCount();
  if (m.indices.size() % 3 != 0 || m.attributes.size() != faces)
    return "mesh has " + std::to_string(m.indices.size()) + " indices and " +
           std::to_string(m.attributes.size()) + " face attributes";
  if (m.materials.size() > MAX_MATERIALS_PER_SLOT)
    return std::to_string(m.materials.size()) + " materials, more than the " +
           std::to_string(MAX_MATERIALS_PER_SLOT) + " a slot holds";
  for (uint32_t i : m.indices)
    if (i >= m.vertices.size()) return "vertex index " + std::to_string(i) + " out of range";
  for (uint32_t a : m.attributes)
    if (a >= m.materials.size()) return "material index " + std::to_string(a) + " out of range";
  return "";
}

// What the last load said. Scene set-up loads one model into several slots
// in a row: a file that gives the same messages as the load just before says
// them only once.
std::string lastLoadReport;

void reportLoad(const std::string& messages) {
  if (!messages.empty() && messages != lastLoadReport) std::fputs(messages.c_str(), stderr);
  lastLoadReport = messages;
}

// Everything a load has to say goes to `messages`, one line each.
void loadFile(SlotId slot, const char* path, std::string& messages) {
  if (device == nullptr) {
    messages = std::string(path) + ": no graphics device to load the mesh on\n";
    return;
  }
  XMesh file;
  std::string error;
  if (!readXFile(path, file, error)) {
    messages = error + "\n";
    return;
  }
  const std::string problem = meshProblem(file);
  if (!problem.empty()) {
    messages = std::string(path) + ": " + problem + "\n";
    return;
  }
  if (!file.warning.empty()) messages += file.warning + "\n";

  const uint32_t count = static_cast<uint32_t>(file.materials.size());
  Optimised opt = optimise(file, count);

  auto mesh = std::make_shared<Mesh>();
  mesh->gpu = device->createMesh({opt.vertices.data(), static_cast<uint32_t>(opt.vertices.size()),
                                  opt.indices.data(), file.faceCount(), opt.subsets.data(), count});
  mesh->subsetCount = count;
  mesh->positions.reserve(opt.vertices.size());
  for (const platform::MeshVertex& v : opt.vertices) mesh->positions.push_back(v.position);
  mesh->indices = std::move(opt.indices);
  mesh->adjacency = std::move(opt.adjacency);
  mesh->bvh.build(mesh->positions, mesh->indices);
  ObjectTable.mesh[slot] = std::move(mesh);

  std::vector<platform::Material>& materials = ObjectTable.materials[slot];
  if (materials.size() < count) materials.resize(count);
  std::vector<platform::TextureHandle>& textures = ObjectTable.textures[slot];
  textures.assign(count, 0);
  for (uint32_t i = 0; i < count; ++i) {
    materials[i] = file.materials[i].material;
    // The file's ambient colour is not used: ambient follows diffuse.
    materials[i].ambient = materials[i].diffuse;
    const std::string& name = file.materials[i].textureFilename;
    if (name.empty()) continue;
    textures[i] = createTextureFromFile(name, error);
    if (textures[i] == 0) messages += error + "\n";
  }
  ObjectTable.materialCount[slot] = count;
}

}  // namespace

void writeDefaultPose(SlotId slot) {
  ObjectTable.posX[slot] = 0;
  ObjectTable.posY[slot] = 0;
  ObjectTable.posZ[slot] = 0;
  ObjectTable.rotX[slot] = 0;
  ObjectTable.rotY[slot] = 0;
  ObjectTable.rotZ[slot] = 0;
  ObjectTable.scaleX[slot] = DEFAULT_SCALE_X;
  ObjectTable.scaleY[slot] = DEFAULT_SCALE_Y;
  ObjectTable.scaleZ[slot] = DEFAULT_SCALE_Z;
}

void loadMeshIntoSlot(SlotId slot, const char* path) {
  if (slot < 0 || slot >= MAX_LOADED_SLOT) {
    std::fprintf(stderr, "loadMeshIntoSlot: slot %d is outside 0 to %d\n", slot,
                 MAX_LOADED_SLOT - 1);
    return;
  }
  if (path == nullptr) path = "";
  writeDefaultPose(slot);

  // What the slot held goes first; a clone still borrowing the old mesh
  // keeps it alive through its own reference.
  releaseSlotTextures(slot);
  ObjectTable.mesh[slot].reset();
  ObjectTable.materialCount[slot] = 0;
  // Entries past the new count stay: a loaded clone draws its shared mesh
  // with them.
  std::vector<platform::Material>& materials = ObjectTable.materials[slot];
  materials.resize(std::min<size_t>(materials.size(), ObjectTable.sharedMaterialCount[slot]));

  std::string messages;
  loadFile(slot, path, messages);
  reportLoad(messages);
}

void forgetLastLoadReport() { lastLoadReport.clear(); }

void cloneSlot(SlotId source, SlotId target) {
  if (source < 0 || source >= MAX_SHARED_SLOT || target < 0 || target >= MAX_SHARED_SLOT) {
    std::fprintf(stderr, "cloneSlot: slots %d and %d must both be within 0 to %d\n", source, target,
                 MAX_SHARED_SLOT - 1);
    return;
  }
  // Read the source first, so that cloning a slot into itself keeps its mesh.
  std::shared_ptr<Mesh> shared = ObjectTable.mesh[source];
  const uint32_t count = ObjectTable.materialCount[source];
  const std::vector<platform::Material>& from = ObjectTable.materials[source];
  std::vector<platform::Material> copy(from.begin(),
                                       from.begin() + std::min<size_t>(count, from.size()));

  writeDefaultPose(target);
  ObjectTable.mesh[target].reset();
  ObjectTable.sharedMesh[target] = std::move(shared);
  ObjectTable.materialCount[target] = 0;
  ObjectTable.sharedMaterialCount[target] = count;
  ObjectTable.textureSourceSlot[target] = source;
  ObjectTable.materials[target] = std::move(copy);
}
