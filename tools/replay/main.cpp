// replay SCRIPT: the game's frames, run headless from a key script in the
// current folder, one state line per frame on standard output.
#include <cstdio>
#include <vector>

#include "runner.hpp"
#include "script.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: replay SCRIPT\n", stderr);
    return 2;
  }
  std::vector<ScriptStep> steps;
  if (!readScript(argv[1], steps)) return 2;
  static char outBuffer[1 << 16];
  std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
  return runReplay(steps, stdout);
}
