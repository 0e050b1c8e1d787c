// Key scripts for replays: one instruction per line, read whole before any
// frame runs so that a bad line never leaves a half-run replay behind.
//
//   COUNT MS [KEY ...] [inactive]   COUNT frames, MS milliseconds apart, keys held
//   lose N                          the next present loses the device; the device
//                                   test then answers lost N times, then
//                                   not-reset, then usable
//
// Blank lines and lines whose first non-blank character is '#' are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Longest line taken, so a hostile file cannot make one line any size.
constexpr size_t SCRIPT_LINE_LIMIT = 1000;
// Lost device tests, over the whole script: the answers are queued before
// the frames run, so their number must stay small. Each costs the game a
// 100 ms sleep, so this is still close to three hours of lost device.
constexpr uint32_t LOSE_ANSWER_LIMIT = 100000;

enum class StepKind { Frames, Lose };

struct ScriptStep {
  StepKind kind = StepKind::Frames;
  // Frames: how many frames run. Lose: how many device tests answer lost
  // before one answers not-reset and the next usable.
  uint32_t count = 0;
  uint32_t ms = 0;            // Frames: clock advance before each frame
  std::vector<uint8_t> keys;  // Frames: key codes held
  bool inactive = false;      // Frames: another window is the active one
};

// One key name as scripts spell it.
struct ScriptKey {
  const char* name;
  uint8_t code;
};
extern const ScriptKey SCRIPT_KEYS[6];

// Parses one line (without its line end). Returns false with `error` set when
// the line is malformed; `isStep` says whether it holds an instruction.
bool parseScriptLine(const std::string& text, ScriptStep& step, bool& isStep, std::string& error);

// Reads the whole script. Every malformed line is reported on stderr as
// "PATH:LINE: what is wrong"; the result is false if there was any (or the
// file cannot be read).
bool readScript(const char* path, std::vector<ScriptStep>& steps);
