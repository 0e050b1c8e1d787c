#include "app/data_folder.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool hasDataFolder(const fs::path& dir) {
  std::error_code ec;
  return fs::is_directory(dir / "Data", ec);
}

// As UTF-8 bytes: a path in any script can be printed, on every system.
std::string shown(const fs::path& p) {
  const std::u8string text = p.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

void findDataFolder(const fs::path& executableFolder, const fs::path& installedData,
                    const char* whyUnknown) {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (hasDataFolder(".")) return;
  if (executableFolder.empty()) {
    std::fprintf(stderr,
                 "riderozad: no Data folder in the working folder %s, and the game's own folder "
                 "is unknown (%s)\n",
                 shown(here).c_str(), whyUnknown ? whyUnknown : "");
    return;
  }
  const fs::path beside = executableFolder.lexically_normal();
  std::vector<fs::path> candidates{beside};
  if (!installedData.empty()) candidates.push_back((beside / installedData).lexically_normal());
  for (const fs::path& dir : candidates) {
    if (!hasDataFolder(dir)) continue;
    fs::current_path(dir, ec);
    if (!ec) return;
    std::fprintf(stderr, "riderozad: cannot change to the data folder %s: %s\n", shown(dir).c_str(),
                 ec.message().c_str());
  }
  if (candidates.size() > 1) {
    std::fprintf(stderr,
                 "riderozad: no Data folder in the working folder %s, beside the game in %s or "
                 "in %s; the game goes on without the files it reports missing\n",
                 shown(here).c_str(), shown(beside).c_str(), shown(candidates[1]).c_str());
  } else {
    std::fprintf(stderr,
                 "riderozad: no Data folder in the working folder %s or beside the game in %s; "
                 "the game goes on without the files it reports missing\n",
                 shown(here).c_str(), shown(beside).c_str());
  }
}
