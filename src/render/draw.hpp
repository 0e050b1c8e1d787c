// Drawing one slot with its world transform, materials and textures.
#pragma once

#include "render/object_table.hpp"

// World = Rx * Rz * Ry * S * T of the slot's pose. A hidden or empty slot only
// sets the world transform. Slots 0 to 2511.
void drawSlot(SlotId slot);
Matrix slotWorldMatrix(SlotId slot);
