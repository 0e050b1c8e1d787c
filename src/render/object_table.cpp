#include "render/object_table.hpp"

#include "render/graphics_device.hpp"
#include "render/mesh_load.hpp"

ObjectTableColumns ObjectTable;

void releaseSlotTextures(SlotId slot) {
  if (slot < 0 || slot >= MAX_SLOTS) return;
  std::vector<platform::TextureHandle>& entries = ObjectTable.textures[slot];
  if (device != nullptr)
    for (platform::TextureHandle t : entries)
      if (t != 0) device->releaseTexture(t);
  // Give the memory back too: an emptied slot should cost nothing.
  std::vector<platform::TextureHandle>().swap(entries);
}

void resetObjectTable() {
  for (SlotId s = 0; s < MAX_SLOTS; ++s) {
    releaseSlotTextures(s);
    std::vector<platform::Material>().swap(ObjectTable.materials[s]);
    // Meshes go with their last reference; a clone's borrowed one included.
    ObjectTable.mesh[s].reset();
    ObjectTable.sharedMesh[s].reset();
  }
  ObjectTable.posX.fill(0);
  ObjectTable.posY.fill(0);
  ObjectTable.posZ.fill(0);
  ObjectTable.rotX.fill(0);
  ObjectTable.rotY.fill(0);
  ObjectTable.rotZ.fill(0);
  ObjectTable.scaleX.fill(0);
  ObjectTable.scaleY.fill(0);
  ObjectTable.scaleZ.fill(0);
  ObjectTable.materialCount.fill(0);
  ObjectTable.sharedMaterialCount.fill(0);
  ObjectTable.textureSourceSlot.fill(0);
  ObjectTable.hidden.fill(0);
  ObjectTable.specularPower.fill(0);
  forgetLastLoadReport();
}
