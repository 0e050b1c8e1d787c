// Whole files read for the game's own readers (models, textures), with
// messages that name the path and say what is wrong with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads `path` whole. False with a message ("PATH: is a folder, not a file",
// "PATH: cannot open (reason)", ...) when it cannot, or when the file is
// larger than `limit` bytes. An empty file reads as no bytes.
bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   std::string& error);

// For files handed to a library by name: "PATH: is a folder, not a file"
// when it is one, else an empty string.
std::string folderProblem(const std::string& path);
