// Fuzz entry for the .x reader: any input must give a sound mesh, or an
// empty one with a message that names the file.
#include <cstdlib>

#include "mesh_checks.hpp"
#include "xfile/xfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XMesh mesh;
  std::string error;
  if (parseXFile(data, size, "fuzz.x", mesh, error)) {
    if (!xtest::meshProblem(mesh).empty()) std::abort();
  } else if (!xtest::isEmpty(mesh) || error.rfind("fuzz.x: ", 0) != 0) {
    std::abort();
  }
  return 0;
}
