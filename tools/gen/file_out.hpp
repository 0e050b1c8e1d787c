// Writing a whole generated file at once.
#pragma once

#include <cstddef>
#include <string>

// False (with a message on stderr) when the file cannot be written whole.
bool writeFileBytes(const std::string& path, const void* data, size_t size);
