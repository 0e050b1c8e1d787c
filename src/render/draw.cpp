#include "render/draw.hpp"

#include <cstdio>

#include "render/graphics_device.hpp"
#include "render/math.hpp"

namespace {

float orDefault(float v, float fallback) { return v == 0.0f ? fallback : v; }

// Draws `count` subsets of `mesh` with the slot's own materials and the
// texture entries of `textureSlot`. Counts are bounded by what the columns
// hold, so a table written by hand can never send us past its vectors.
void drawSubsets(SlotId slot, const Mesh& mesh, uint32_t count, SlotId textureSlot) {
  std::vector<platform::Material>& materials = ObjectTable.materials[slot];
  const std::vector<platform::TextureHandle>* textures =
      textureSlot >= 0 && textureSlot < MAX_SLOTS ? &ObjectTable.textures[textureSlot] : nullptr;
  for (uint32_t i = 0; i < count && i < materials.size(); ++i) {
    materials[i].diffuse.a = 1.0f;
    device->setMaterial(materials[i]);
    // An empty entry clears the stage, so no subset shows the previous one's texture.
    device->setTexture(0, textures != nullptr && i < textures->size() ? (*textures)[i] : 0);
    device->drawSubset(mesh.gpu, i);
  }
}

}  // namespace

Matrix slotWorldMatrix(SlotId slot) {
  if (slot < 0 || slot >= MAX_SLOTS) return matrixIdentity();
  const Matrix rx = matrixRotationX(ObjectTable.rotX[slot]);
  const Matrix rz = matrixRotationZ(ObjectTable.rotZ[slot]);
  const Matrix ry = matrixRotationY(ObjectTable.rotY[slot]);
  const Matrix s = matrixScaling(orDefault(ObjectTable.scaleX[slot], DEFAULT_SCALE_X),
                                 orDefault(ObjectTable.scaleY[slot], DEFAULT_SCALE_Y),
                                 orDefault(ObjectTable.scaleZ[slot], DEFAULT_SCALE_Z));
  const Matrix t =
      matrixTranslation(ObjectTable.posX[slot], ObjectTable.posY[slot], ObjectTable.posZ[slot]);
  // Rotate about x, then z, then y; scale along the world axes; then move.
  return matrixMultiply(matrixMultiply(matrixMultiply(matrixMultiply(rx, rz), ry), s), t);
}

void drawSlot(SlotId slot) {
  if (slot < 0 || slot >= MAX_SHARED_SLOT) {
    std::fprintf(stderr, "drawSlot: slot %d is outside 0 to %d\n", slot, MAX_SHARED_SLOT - 1);
    return;
  }
  ObjectTable.scaleX[slot] = orDefault(ObjectTable.scaleX[slot], DEFAULT_SCALE_X);
  ObjectTable.scaleY[slot] = orDefault(ObjectTable.scaleY[slot], DEFAULT_SCALE_Y);
  ObjectTable.scaleZ[slot] = orDefault(ObjectTable.scaleZ[slot], DEFAULT_SCALE_Z);

  if (device == nullptr) return;
  device->setRenderState(platform::RenderState::DiffuseMaterialSource, platform::MCS_MATERIAL);
  device->setRenderState(platform::RenderState::SpecularMaterialSource, platform::MCS_COLOR2);
  device->setTransform(platform::TransformState::World, slotWorldMatrix(slot));
  if (ObjectTable.hidden[slot] != 0) return;

  if (const Mesh* own = ObjectTable.mesh[slot].get())
    drawSubsets(slot, *own, ObjectTable.materialCount[slot], slot);
  if (const Mesh* shared = ObjectTable.sharedMesh[slot].get())
    drawSubsets(slot, *shared, ObjectTable.sharedMaterialCount[slot],
                ObjectTable.textureSourceSlot[slot]);
}
