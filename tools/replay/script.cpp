#include "script.hpp"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/keyboard.hpp"

const ScriptKey SCRIPT_KEYS[6] = {
    {"Enter", platform::DIK_RETURN}, {"Up", platform::DIK_UP},       {"Down", platform::DIK_DOWN},
    {"Left", platform::DIK_LEFT},    {"Right", platform::DIK_RIGHT}, {"Space", platform::DIK_SPACE},
};

namespace {

std::vector<std::string> splitTokens(const std::string& text) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

// Plain decimal digits only: no sign, no blanks, no hex, nothing after.
bool parseWhole(const std::string& token, uint64_t limit, uint32_t& out) {
  if (token.empty() || token.size() > 20) return false;
  uint64_t value = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return false;
  }
  out = static_cast<uint32_t>(value);
  return true;
}

const ScriptKey* findKey(const std::string& name) {
  for (const ScriptKey& k : SCRIPT_KEYS)
    if (name == k.name) return &k;
  return nullptr;
}

constexpr uint64_t UINT32_LIMIT = std::numeric_limits<uint32_t>::max();

}  // namespace

bool parseScriptLine(const std::string& text, ScriptStep& step, bool& isStep, std::string& error) {
  isStep = false;
  const std::vector<std::string> tokens = splitTokens(text);
  if (tokens.empty() || tokens[0][0] == '#') return true;

  step = ScriptStep{};
  if (tokens[0] == "lose") {
    if (tokens.size() != 2) {
      error = "'lose' takes one number, the count of lost device tests";
      return false;
    }
    if (!parseWhole(tokens[1], LOSE_ANSWER_LIMIT, step.count)) {
      error = "lose count '" + tokens[1] + "' is not a whole number from 0 to " +
              std::to_string(LOSE_ANSWER_LIMIT);
      return false;
    }
    step.kind = StepKind::Lose;
    isStep = true;
    return true;
  }

  if (!parseWhole(tokens[0], UINT32_LIMIT, step.count)) {
    error = "frame count '" + tokens[0] + "' is not a whole number from 0 to " +
            std::to_string(UINT32_LIMIT) + " (or 'lose N')";
    return false;
  }
  if (tokens.size() < 2) {
    error = "missing the milliseconds between frames after the frame count";
    return false;
  }
  if (!parseWhole(tokens[1], UINT32_LIMIT, step.ms)) {
    error = "milliseconds '" + tokens[1] + "' is not a whole number from 0 to " +
            std::to_string(UINT32_LIMIT);
    return false;
  }
  for (size_t i = 2; i < tokens.size(); ++i) {
    if (tokens[i] == "inactive") {
      step.inactive = true;
    } else if (const ScriptKey* key = findKey(tokens[i])) {
      step.keys.push_back(key->code);
    } else {
      error = "unknown key '" + tokens[i] +
              "' (keys are Enter, Up, Down, Left, Right, Space; or 'inactive')";
      return false;
    }
  }
  isStep = true;
  return true;
}

bool readScript(const char* path, std::vector<ScriptStep>& steps) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) {
    std::fprintf(stderr, "%s: cannot open the script (%s)\n", path, std::strerror(errno));
    return false;
  }
  bool ok = true;
  uint64_t lineNumber = 0;
  std::string line;
  bool tooLong = false;
  bool atEnd = false;
  uint64_t lostTests = 0;
  while (!atEnd) {
    const int c = std::fgetc(file);
    if (c != EOF && c != '\n') {
      if (line.size() < SCRIPT_LINE_LIMIT)
        line.push_back(static_cast<char>(c));
      else
        tooLong = true;
      continue;
    }
    atEnd = c == EOF;
    if (atEnd && line.empty() && !tooLong) break;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ScriptStep step;
    bool isStep = false;
    std::string error;
    if (tooLong) {
      error = "line longer than " + std::to_string(SCRIPT_LINE_LIMIT) + " characters";
    } else if (line.find('\0') != std::string::npos) {
      error = "line holds a NUL byte";
    }
    if (error.empty() && parseScriptLine(line, step, isStep, error) && isStep &&
        step.kind == StepKind::Lose) {
      lostTests += step.count;
      if (lostTests > LOSE_ANSWER_LIMIT)
        error = "lost device tests add up to more than " + std::to_string(LOSE_ANSWER_LIMIT);
    }
    if (error.empty()) {
      if (isStep) steps.push_back(std::move(step));
    } else {
      std::fprintf(stderr, "%s:%" PRIu64 ": %s\n", path, lineNumber, error.c_str());
      ok = false;
    }
    line.clear();
    tooLong = false;
  }
  if (std::ferror(file)) {
    std::fprintf(stderr, "%s: read error after line %" PRIu64 "\n", path, lineNumber);
    ok = false;
  }
  std::fclose(file);
  return ok;
}
