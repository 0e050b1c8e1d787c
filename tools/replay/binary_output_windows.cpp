// Built into the Windows replay only: standard output and standard error in
// binary mode, so that each "\n" is written as the one byte it is on Linux
// and both replays print the same bytes.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

const bool binaryOutput = [] {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return true;
}();

}  // namespace
