// One run of the generator into a scratch folder, shared by the asset tests.
#pragma once

#include <string>
#include <vector>

#include "xfile/xfile.hpp"

// The folder the generator wrote (it holds Data/, L.wp, R.wp, M.mp3).
const std::string& generatedFolder();
// Runs the generator into a new scratch folder; "" when it failed.
std::string runGenerator();
// Reads Data/NAME.x of the generated folder; fails the test on error.
XMesh readModel(const std::string& name);
std::vector<uint8_t> readBytes(const std::string& path);
// Numbers of a lane file, in order; empty when the file is missing.
std::vector<double> readNumbers(const std::string& path);
