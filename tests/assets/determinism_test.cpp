// The generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>

#include "generated_folder.hpp"

namespace {

std::vector<std::string> listFiles(const std::string& dir, const std::string& prefix = "") {
  std::vector<std::string> out;
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (e->d_type == DT_DIR) {
      for (const std::string& f : listFiles(dir + "/" + name, prefix + name + "/"))
        out.push_back(f);
    } else {
      out.push_back(prefix + name);
    }
  }
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(Determinism, SecondRunWritesIdenticalFiles) {
  std::string again = runGenerator();
  ASSERT_FALSE(again.empty());
  std::vector<std::string> first = listFiles(generatedFolder()), second = listFiles(again);
  EXPECT_EQ(first, second);
  EXPECT_GE(first.size(), 30u);
  for (const std::string& f : first) {
    EXPECT_TRUE(readBytes(generatedFolder() + "/" + f) == readBytes(again + "/" + f)) << f;
  }
  std::string cmd = "rm -rf " + again;
  EXPECT_EQ(std::system(cmd.c_str()), 0);
}
