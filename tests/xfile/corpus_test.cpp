// Every file in the corpus (samples, and inputs the fuzzer found
// interesting) goes through the reader: files named ok-* must read, files
// named bad-* must be rejected, and whatever the outcome the result is sound.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "mesh_checks.hpp"
#include "xfile/xfile.hpp"

namespace {

TEST(XFileCorpus, EveryFileGivesASoundMeshOrACleanError) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(XFILE_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    XMesh m;
    std::string error;
    const bool ok = parseXFile(bytes.data(), bytes.size(), name, m, error);
    if (ok) {
      EXPECT_EQ(xtest::meshProblem(m), "");
    } else {
      EXPECT_TRUE(xtest::isEmpty(m));
      EXPECT_EQ(error.rfind(name + ": ", 0), 0u) << error;
    }
    if (name.rfind("ok-", 0) == 0) {
      EXPECT_TRUE(ok) << error;
    }
    if (name.rfind("bad-", 0) == 0) {
      EXPECT_FALSE(ok);
    }
    ++files;
  }
  EXPECT_GT(files, 10u);
}

}  // namespace
