// Text .x files ("xof 0303txt 0032"): one Mesh with normals, texture
// coordinates and a material list. Numbers use one fixed format so that the
// same mesh always gives the same bytes.
#pragma once

#include <string>

#include "mesh_builder.hpp"

// False (with a message on stderr) when the file cannot be written or the
// mesh is not one the game can load.
bool writeXFile(const std::string& path, const GenMesh& mesh);
// The file's text, as writeXFile would write it.
std::string xFileText(const GenMesh& mesh);
