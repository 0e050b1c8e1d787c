// Only under AddressSanitizer: LeakSanitizer counts a block as lost when the
// only pointer to it lay in a library that has since been unloaded, and then
// cannot even name the library. Mesa loads its driver (and LLVM) with the
// first GL context and unloads it with the last, so the blocks its globals
// held would be reported at every exit. Kept loaded, they stay reachable.
#include "platform/sdl_gl/backend_parts.hpp"

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>
#endif

namespace platform::sdl_gl {

void keepLibrariesLoaded() {
#if defined(__SANITIZE_ADDRESS__)
  std::vector<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* out) {
        if (info->dlpi_name && info->dlpi_name[0])
          static_cast<std::vector<std::string>*>(out)->emplace_back(info->dlpi_name);
        return 0;
      },
      &names);
  // Opened again outside the walk, which holds the loader's lock; the handles
  // are never closed, on purpose.
  for (const std::string& name : names)
    dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

}  // namespace platform::sdl_gl
