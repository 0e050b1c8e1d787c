#include "render/mesh.hpp"

#include "render/graphics_device.hpp"

Mesh::~Mesh() {
  // A mesh can outlive the device (the table is torn down after it at exit).
  if (gpu != 0 && device != nullptr) device->releaseMesh(gpu);
}

bool intersectMesh(const Mesh& mesh, const Vec3& origin, const Vec3& direction) {
  return mesh.bvh.anyHit(origin, direction);
}
