// googletest captures standard error by dup2() of a file from mkstemp() onto
// descriptor 2. Under node's real file system (-sNODERAWFS) dup2 opens the
// file again with the flags it was first opened with, and mkstemp's O_EXCL
// then fails because the file exists. This mkstemp, linked into the web
// build's tests only, hands back the file it made opened without O_EXCL.
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

int mkstemp(char* name) {
  const int made = mkostemps(name, 0, 0);
  if (made < 0) return made;
  close(made);
  return open(name, O_RDWR);
}
