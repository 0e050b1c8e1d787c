// Texture files: found by the name a model gives and put on the device as
// texture_image.hpp prepares them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.hpp"

constexpr uint32_t COLOR_KEY_OPAQUE_BLACK = 0xFF000000u;

// The file a model's texture name means, relative to the working folder.
// Models made on Windows write backslashes and whatever case they like: the
// backslashes separate folders, and when the exact path is missing each
// level is matched ignoring case. The path to try is returned either way.
std::string findTextureFile(const std::string& name);

// Creates the texture on the current device; 0, with a message in `error`
// naming the path it tried, when the file cannot be used.
platform::TextureHandle createTextureFromFile(const std::string& name, std::string& error);
