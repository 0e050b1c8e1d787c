// Handles a backend gives out for entries it keeps in a vector: handle =
// index + 1, so 0 stays "none"; an entry that tests false is a free slot and
// is given out again.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

template <typename T>
uint32_t addToSlots(std::vector<T>& slots, T entry) {
  for (size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i]) {
      slots[i] = std::move(entry);
      return static_cast<uint32_t>(i + 1);
    }
  }
  slots.push_back(std::move(entry));
  return static_cast<uint32_t>(slots.size());
}

template <typename T>
T* slotOf(std::vector<T>& slots, uint32_t handle) {
  if (handle == 0 || handle > slots.size() || !slots[handle - 1]) return nullptr;
  return &slots[handle - 1];
}

}  // namespace platform
