// Meshes: the game's finished vertices (position, normal, uv) and 32-bit
// indices in managed-pool buffers, drawn one subset at a time.
#include <cstdio>
#include <cstring>

#include "platform/mesh_upload_check.hpp"
#include "platform/win32_d3d9/d3d9_device.hpp"

namespace platform::win32_d3d9 {

namespace {

constexpr DWORD MESH_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
static_assert(sizeof(MeshVertex) == 32, "position, normal and uv, packed as the FVF reads them");

// Copies `bytes` into a freshly created buffer; false when it cannot be
// locked.
template <class Buffer>
bool fill(Buffer* buffer, const void* data, size_t bytes) {
  void* to = nullptr;
  if (FAILED(buffer->Lock(0, 0, &to, 0))) return false;
  std::memcpy(to, data, bytes);
  buffer->Unlock();
  return true;
}

}  // namespace

D3d9Mesh* D3d9Device::meshOf(MeshHandle mesh) { return slotOf(meshes_, mesh); }

MeshHandle D3d9Device::createMesh(const MeshUpload& m) {
  if (const char* problem = meshUploadProblem(m)) {
    std::fprintf(stderr, "riderozad: mesh not created: %s\n", problem);
    return 0;
  }
  if (m.vertexCount > caps_.MaxVertexIndex + uint64_t{1}) {
    std::fprintf(stderr, "riderozad: mesh not created: %u vertices, the device indexes %lu\n",
                 m.vertexCount, static_cast<unsigned long>(caps_.MaxVertexIndex) + 1);
    return 0;
  }
  const size_t vertexBytes = sizeof(MeshVertex) * size_t{m.vertexCount};
  const size_t indexBytes = sizeof(uint32_t) * 3 * size_t{m.faceCount};
  D3d9Mesh mesh;
  mesh.vertexCount = m.vertexCount;
  mesh.subsets.assign(m.subsets, m.subsets + m.subsetCount);
  HRESULT hr = device_->CreateVertexBuffer(static_cast<UINT>(vertexBytes), D3DUSAGE_WRITEONLY,
                                           MESH_FVF, D3DPOOL_MANAGED, &mesh.vertices, nullptr);
  if (SUCCEEDED(hr))
    hr = device_->CreateIndexBuffer(static_cast<UINT>(indexBytes), D3DUSAGE_WRITEONLY,
                                    D3DFMT_INDEX32, D3DPOOL_MANAGED, &mesh.indices, nullptr);
  if (SUCCEEDED(hr) &&
      !(fill(mesh.vertices, m.vertices, vertexBytes) && fill(mesh.indices, m.indices, indexBytes)))
    hr = E_FAIL;
  if (FAILED(hr)) {
    std::fprintf(stderr, "riderozad: mesh not created: the device refused its buffers (0x%08lx)\n",
                 static_cast<unsigned long>(hr));
    if (mesh.vertices) mesh.vertices->Release();
    if (mesh.indices) mesh.indices->Release();
    return 0;
  }
  return addToSlots(meshes_, std::move(mesh));
}

Result D3d9Device::drawSubset(MeshHandle handle, uint32_t subset) {
  D3d9Mesh* mesh = meshOf(handle);
  if (!mesh || !inScene_) return Result::Failed;
  // An attribute id without faces draws nothing, and that is no error.
  if (subset >= mesh->subsets.size() || mesh->subsets[subset].faceCount == 0) return Result::Ok;
  const SubsetRange& range = mesh->subsets[subset];
  // Set every time: the text's quads leave no stream behind them.
  device_->SetFVF(MESH_FVF);
  device_->SetStreamSource(0, mesh->vertices, 0, sizeof(MeshVertex));
  device_->SetIndices(mesh->indices);
  return resultOf(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh->vertexCount,
                                                range.faceStart * 3, range.faceCount));
}

void D3d9Device::releaseMesh(MeshHandle handle) {
  D3d9Mesh* mesh = meshOf(handle);
  if (!mesh) return;
  mesh->vertices->Release();
  mesh->indices->Release();
  *mesh = D3d9Mesh{};
}

}  // namespace platform::win32_d3d9
