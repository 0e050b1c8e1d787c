// A clean table, camera and null device for every test, run in a temporary
// working folder so that relative mesh and texture paths resolve there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/null/null_backend.hpp"
#include "render/camera.hpp"
#include "render/graphics_device.hpp"
#include "render/object_table.hpp"

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::null::Backend& b = platform::null::install();
    device = b.graphics.createDevice(platform::PresentParams{});
    resetObjectTable();
    resetCameraAndLights();
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("rz_render_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "Data");
    std::filesystem::current_path(folder_);
  }

  void TearDown() override {
    resetObjectTable();
    device = nullptr;
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  platform::null::NullDevice& dev() { return *platform::null::backend().graphics.device; }

  static void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  // A mesh of `subsets` one-triangle subsets on the null device, the way a
  // load would leave it, without going through a file.
  std::shared_ptr<Mesh> makeMesh(uint32_t subsets) {
    std::vector<platform::MeshVertex> v;
    std::vector<uint32_t> idx;
    std::vector<platform::SubsetRange> ranges;
    for (uint32_t s = 0; s < subsets; ++s) {
      const float x = static_cast<float>(s) * 2;
      v.push_back({{x, 0, 0}, {0, 1, 0}, {0, 0}});
      v.push_back({{x, 0, 1}, {0, 1, 0}, {0, 0}});
      v.push_back({{x + 1, 0, 0}, {0, 1, 0}, {0, 0}});
      for (uint32_t k = 0; k < 3; ++k) idx.push_back(s * 3 + k);
      ranges.push_back({s, 1});
    }
    auto mesh = std::make_shared<Mesh>();
    mesh->gpu = device->createMesh(
        {v.data(), static_cast<uint32_t>(v.size()), idx.data(), subsets, ranges.data(), subsets});
    mesh->subsetCount = subsets;
    return mesh;
  }

  // Fills `slot` as a load of a mesh with the given materials would.
  void fillSlot(SlotId slot, std::vector<platform::Material> materials,
                std::vector<platform::TextureHandle> textures = {}) {
    const uint32_t n = static_cast<uint32_t>(materials.size());
    ObjectTable.mesh[slot] = makeMesh(n);
    ObjectTable.materialCount[slot] = n;
    ObjectTable.materials[slot] = std::move(materials);
    textures.resize(n, 0);
    ObjectTable.textures[slot] = std::move(textures);
    ObjectTable.scaleX[slot] = 1;
    ObjectTable.scaleY[slot] = 1.2f;
    ObjectTable.scaleZ[slot] = 1;
  }

  // A 1 by 1 white texture straight on the device.
  platform::TextureHandle makeTexture() {
    static const uint8_t white[4] = {255, 255, 255, 255};
    return device->createTexture({1, 1, white});
  }

  static platform::Material material(float r, float g, float b, float a) {
    platform::Material m{};
    m.diffuse = {r, g, b, a};
    return m;
  }

  // The recorded device calls from `from` on, as "name args".
  std::vector<std::string> callsSince(size_t from) {
    std::vector<std::string> out;
    const auto& calls = dev().log.calls();
    for (size_t i = from; i < calls.size(); ++i)
      out.push_back(calls[i].args.empty() ? calls[i].name : calls[i].name + " " + calls[i].args);
    return out;
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

inline void expectNear(const Vec3& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}
