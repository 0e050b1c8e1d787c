#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.hpp"

namespace {

int32_t answer(std::vector<const char*> args, platform::DisplayOptions& options) {
  args.insert(args.begin(), "riderozad");
  return answerCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()), "",
                           options);
}

TEST(CommandLine, OptionsInAnyOrderStartTheGameAndAnythingElseEndsItWithTwo) {
  platform::DisplayOptions o;
  EXPECT_EQ(answer({}, o), -1);
  EXPECT_FALSE(o.window || o.desktop || o.sharp);
  EXPECT_EQ(answer({"--sharp", "--window"}, o), -1);
  EXPECT_TRUE(o.window && o.sharp && !o.desktop);
  EXPECT_EQ(answer({"--desktop"}, o), -1);
  EXPECT_TRUE(o.desktop && !o.window && !o.sharp);
  // A misspelt option is refused, not ignored: the player would get a game
  // shown in a way other than asked.
  EXPECT_EQ(answer({"--window", "--sharpen"}, o), 2);
  EXPECT_EQ(answer({"window"}, o), 2);
  EXPECT_EQ(answer({"--window", "--help"}, o), 0);
  EXPECT_EQ(answer({"--version"}, o), 0);
}

}  // namespace
