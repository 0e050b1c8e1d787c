// Chosen frames of the scripted drive as pictures: a hash of each to compare
// with the frames the renderer drew before, and PNG files to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PictureRef {
  uint32_t frame = 0;
  uint64_t hash = 0;
};

// FNV-1a over the red, green and blue bytes of every pixel, top row first:
// what the player sees, and nothing of the unused alpha channel.
uint64_t pictureHash(const std::vector<uint8_t>& rgba);

// "10,31,95": frame numbers counted from 1, each at most `last`. False with
// a message on stderr when the list is malformed.
bool parseFrameList(const char* text, uint32_t last, std::vector<uint32_t>& frames);

// Lines "FRAME HASH" (hash in hexadecimal) and one "renderer NAME", the
// renderer that drew them, into `renderer`; blank lines and lines starting
// with '#' are skipped. False with a message on stderr for anything else.
bool readPictureList(const char* path, uint32_t last, std::vector<PictureRef>& out,
                     std::string& renderer);

// Writes the picture as DIR/frame-NNNN.png; false with a message on stderr.
bool writePicture(const std::string& dir, uint32_t frame, const std::vector<uint8_t>& rgba,
                  uint32_t width, uint32_t height);
