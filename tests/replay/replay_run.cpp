#include "replay_run.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef _WIN32
// cmd.exe: no quote can occur in a Windows path.
std::string quoted(const std::string& s) { return '"' + s + '"'; }
#else
std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
#endif

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::string fixtureDir() { return std::string(REPLAY_TEST_DIR) + "/fixture"; }

std::string scriptPath(const std::string& name) {
  return std::string(REPLAY_TEST_DIR) + "/scripts/" + name + ".txt";
}

ReplayRun runReplay(const std::string& folder, const std::string& script) {
  TempFolder capture;
  const std::string outPath = capture.path() + "/out";
  const std::string errPath = capture.path() + "/err";
  // The program by its full native path, since it runs in another folder.
  const std::string exe = std::filesystem::absolute(REPLAY_EXE).make_preferred().string();
  std::string command =
      quoted(exe) + " " + quoted(script) + " >" + quoted(outPath) + " 2>" + quoted(errPath);
  ReplayRun run;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
#ifdef _WIN32
  // cmd.exe drops the line's first and last quote when it holds more than two.
  command = '"' + command + '"';
  run.exitCode = std::system(command.c_str());
#else
  const int status = std::system(command.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  std::filesystem::current_path(previous);
  run.out = readWhole(outPath);
  run.err = readWhole(errPath);
  return run;
}

const std::vector<std::string>& ReplayTable::row(int frame) const {
  static const std::vector<std::string> none;
  if (frame < 1 || frame > static_cast<int>(rows.size())) {
    ADD_FAILURE() << "no frame " << frame << " (" << rows.size() << " printed)";
    return none;
  }
  return rows[frame - 1];
}

std::string ReplayTable::text(int frame, const std::string& column) const {
  const std::vector<std::string>& r = row(frame);
  for (size_t i = 0; i < columns.size() && i < r.size(); ++i)
    if (columns[i] == column) return r[i];
  ADD_FAILURE() << "no column " << column << " in frame " << frame;
  return "";
}

double ReplayTable::number(int frame, const std::string& column) const {
  return std::strtod(text(frame, column).c_str(), nullptr);
}

ReplayTable parseReplay(const std::string& out) {
  ReplayTable table;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind('#', 0) == 0) {
      table.columns = splitTabs(line.substr(1));
    } else {
      table.rows.push_back(splitTabs(line));
    }
  }
  return table;
}

void expectMatchesExpected(const std::string& name, const std::string& out) {
  const std::string path = std::string(REPLAY_TEST_DIR) + "/expected/" + name + ".tsv";
  const char* update = std::getenv("RZ_REPLAY_UPDATE");
  if (update && std::string(update) == "1") {
    std::ofstream(path, std::ios::binary) << out;
    return;
  }
  const std::string expected = readWhole(path);
  ASSERT_FALSE(expected.empty()) << path << " is missing; run with RZ_REPLAY_UPDATE=1";
  if (expected == out) return;
  // Name the first frame that differs rather than dumping both outputs.
  std::istringstream a(expected), b(out);
  std::string lineA, lineB;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(a, lineA));
    const bool moreB = static_cast<bool>(std::getline(b, lineB));
    if (!moreA && !moreB) break;
    if (lineA != lineB || moreA != moreB) {
      ADD_FAILURE() << path << ": output line " << line << " differs\n  expected: " << lineA
                    << "\n  actual:   " << lineB;
      return;
    }
  }
  ADD_FAILURE() << path << ": output differs";
}

TempFolder::TempFolder() {
  std::random_device random;
  std::error_code ignored;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path p =
        std::filesystem::temp_directory_path() / ("rz_replay_" + std::to_string(random()));
    if (std::filesystem::create_directory(p, ignored)) path_ = p.string();
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& name, const std::string& text) const {
  std::ofstream(path_ + "/" + name, std::ios::binary) << text;
}
