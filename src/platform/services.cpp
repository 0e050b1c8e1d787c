#include "platform/services.hpp"

namespace platform {

Services& services() {
  static Services instance;
  return instance;
}

}  // namespace platform
