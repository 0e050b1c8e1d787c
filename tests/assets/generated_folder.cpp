#include "generated_folder.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>

std::string runGenerator() {
  char tmpl[] = "/tmp/rz_assets_XXXXXX";
  if (!mkdtemp(tmpl)) return "";
  std::string dir = tmpl;
  std::string cmd = std::string(RZ_GEN_EXE) + " " + dir;
  if (std::system(cmd.c_str()) != 0) return "";
  return dir;
}

const std::string& generatedFolder() {
  static const std::string dir = runGenerator();
  return dir;
}

XMesh readModel(const std::string& name) {
  XMesh mesh;
  std::string error;
  bool ok = readXFile(generatedFolder() + "/Data/" + name + ".x", mesh, error);
  EXPECT_TRUE(ok) << error;
  return mesh;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::vector<double> readNumbers(const std::string& path) {
  std::ifstream f(path);
  std::vector<double> out;
  double v;
  while (f >> v) out.push_back(v);
  return out;
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery lists the tests only; do not generate for that.
  if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  if (generatedFolder().empty()) {
    std::fprintf(stderr, "asset tests: the generator failed\n");
    return 1;
  }
  int rc = RUN_ALL_TESTS();
  {
    std::string cmd = "rm -rf " + generatedFolder();
    if (std::system(cmd.c_str()) != 0)
      std::fprintf(stderr, "could not remove the scratch folder\n");
  }
  return rc;
}
