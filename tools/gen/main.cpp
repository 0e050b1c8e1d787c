// rz_gen OUTDIR: writes the game's whole world into OUTDIR (the folder the
// game runs in): Data/*.x with their textures, L.wp, R.wp and M.mp3.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cars.hpp"
#include "cockpit.hpp"
#include "lanes.hpp"
#include "music.hpp"
#include "sky.hpp"
#include "textures.hpp"
#include "track.hpp"
#include "xwriter.hpp"

namespace {

bool makeDir(const std::string& path) {
  if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
  std::fprintf(stderr, "gen: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: rz_gen OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1], data = out + "/Data";
  if (!makeDir(out) || !makeDir(data)) return 1;
  bool ok = true;
  Track track = buildTrack();
  ok &= writeXFile(data + "/try.x", track.mesh);
  ok &= writeSceneryTextures(data);
  ok &= writeCars(data);
  ok &= writeCockpit(data);
  ok &= writeSky(data);
  ok &= writeLanes(out);
  ok &= writeMusic(out + "/M.mp3");
  return ok ? 0 : 1;
}
