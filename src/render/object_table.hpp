// The object table: every drawable thing lives in one slot, addressed by a
// slot id. Columns are parallel arrays indexed by slot. Materials and texture
// entries are stored only for slots that hold something, so the empty table
// costs little.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics.hpp"
#include "render/mesh.hpp"

using SlotId = int32_t;

constexpr SlotId MAX_SLOTS = 10000;
constexpr uint32_t MAX_MATERIALS_PER_SLOT = 500;
constexpr SlotId MAX_LOADED_SLOT = 1000;  // loadMeshIntoSlot takes slots below this
constexpr SlotId MAX_SHARED_SLOT = 2512;  // cloneSlot and drawSlot take slots below this

// Scale of the default pose; drawing also puts these back in place of a zero.
constexpr float DEFAULT_SCALE_X = 1.0f;
constexpr float DEFAULT_SCALE_Y = 1.2f;
constexpr float DEFAULT_SCALE_Z = 1.0f;

constexpr SlotId SLOT_PLAYER_CAR = 2;
constexpr SlotId SLOT_PROBE_FIRST = 3;
constexpr SlotId SLOT_STEERING_WHEEL = 20;
constexpr SlotId SLOT_GAUGE_NEEDLE = 24;
constexpr SlotId SLOT_TRACK = 25;
constexpr SlotId SLOT_TRAFFIC_FIRST = 50;
constexpr SlotId SLOT_SKYBOX = 333;

struct ObjectTableColumns {
  std::array<float, MAX_SLOTS> posX{}, posY{}, posZ{};
  std::array<float, MAX_SLOTS> rotX{}, rotY{}, rotZ{};
  std::array<float, MAX_SLOTS> scaleX{}, scaleY{}, scaleZ{};
  // The slot's own mesh. Shared ownership keeps a clone's borrowed mesh alive
  // when its source is loaded again.
  std::array<std::shared_ptr<Mesh>, MAX_SLOTS> mesh{};
  std::array<uint32_t, MAX_SLOTS> materialCount{};
  // materials[slot][i] is drawn with subset i; sized to what the slot uses.
  std::array<std::vector<platform::Material>, MAX_SLOTS> materials{};
  // textures[slot][i]: the texture of material i of the slot, 0 for none.
  std::array<std::vector<platform::TextureHandle>, MAX_SLOTS> textures{};
  std::array<std::shared_ptr<Mesh>, MAX_SLOTS> sharedMesh{};
  std::array<uint32_t, MAX_SLOTS> sharedMaterialCount{};
  std::array<SlotId, MAX_SLOTS> textureSourceSlot{};
  std::array<uint8_t, MAX_SLOTS> hidden{};
  std::array<int32_t, MAX_SLOTS> specularPower{};
};

extern ObjectTableColumns ObjectTable;

// Releases everything the table holds and puts every column back to zero.
void resetObjectTable();
// Releases the textures a slot owns (its meshes are released with the last
// reference).
void releaseSlotTextures(SlotId slot);
