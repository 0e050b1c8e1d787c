// Filling slots: loading a .x mesh with its materials and textures, and
// cloning a loaded slot into another one.
#pragma once

#include "render/object_table.hpp"

// Loads `path` (relative to the working folder) into `slot` (0 to 999). A file
// that cannot be read leaves the slot with no mesh and no materials, and says
// why on standard error, unless the load just before said the same.
void loadMeshIntoSlot(SlotId slot, const char* path);
// The next load says what it has to say even if the last one said the same.
void forgetLastLoadReport();
// Makes `target` show the mesh of `source` with its own pose and its own copy
// of the materials.
void cloneSlot(SlotId source, SlotId target);
// Writes the default pose: position 0, rotation 0, scale (1, 1.2, 1).
void writeDefaultPose(SlotId slot);
