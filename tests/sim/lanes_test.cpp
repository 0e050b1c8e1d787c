// Lane files: the count and the points with "%d"/"%f" semantics, and every
// way a file can be short, long, broken or missing.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim/lanes.hpp"
#include "sim/traffic.hpp"
#include "sim_fixture.hpp"

namespace {

class LaneFileTest : public SimTest {};

// Room for four points, with a guard behind it that a write past the arrays
// would hit first.
struct SmallLane {
  Lane<4> lane;
  float guard[8];
};

void fill(SmallLane& s, float v) {
  s.lane.lastIndex = 77;
  for (float& x : s.lane.x) x = v;
  for (float& z : s.lane.z) z = v;
  for (float& g : s.guard) g = v;
}

TEST_F(LaneFileTest, CountAndPointsOneNumberPerLineOrAllOnOneLine) {
  SmallLane s;
  fill(s, 99);
  // The example of the file format: two points (0, 5) and (2.5, 7.5).
  writeFile("a.wp", "1\n0.0\n5.0\n2.5\n7.5\n");
  EXPECT_EQ(readLaneFile("a.wp", s.lane), 2);
  EXPECT_EQ(s.lane.lastIndex, 1);
  EXPECT_FLOAT_EQ(s.lane.x[0], 0);
  EXPECT_FLOAT_EQ(s.lane.z[0], 5);
  EXPECT_FLOAT_EQ(s.lane.x[1], 2.5f);
  EXPECT_FLOAT_EQ(s.lane.z[1], 7.5f);
  EXPECT_FLOAT_EQ(s.lane.x[2], 99);  // not in the file: keeps its value

  fill(s, 99);
  writeFile("b.wp", "  2 -1.5e1 +3   4.25\t-0 1E-1 \n\n 8");
  EXPECT_EQ(readLaneFile("b.wp", s.lane), 3);
  EXPECT_EQ(s.lane.lastIndex, 2);
  EXPECT_FLOAT_EQ(s.lane.x[0], -15);
  EXPECT_FLOAT_EQ(s.lane.z[0], 3);
  EXPECT_FLOAT_EQ(s.lane.x[1], 4.25f);
  EXPECT_FLOAT_EQ(s.lane.z[1], 0);
  EXPECT_FLOAT_EQ(s.lane.x[2], 0.1f);
  EXPECT_FLOAT_EQ(s.lane.z[2], 8);
}

TEST_F(LaneFileTest, FirstNumberZeroGivesOnePointAndMinusOneNone) {
  SmallLane s;
  fill(s, 99);
  writeFile("zero.wp", "0\n3\n4\n5\n6\n");
  EXPECT_EQ(readLaneFile("zero.wp", s.lane), 1);
  EXPECT_EQ(s.lane.lastIndex, 0);
  EXPECT_FLOAT_EQ(s.lane.x[0], 3);
  EXPECT_FLOAT_EQ(s.lane.z[0], 4);
  EXPECT_FLOAT_EQ(s.lane.x[1], 99);  // 5 and 6 belong to no point

  // Below 0 nothing is read, and the game says so (the recorder then takes
  // no points either: its fill index is the negative last index).
  fill(s, 99);
  writeFile("none.wp", "-1\n3\n4\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("none.wp", s.lane), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "none.wp: the index of the last point is -1, below 0; no points read, the lane "
            "keeps its points\n");
  EXPECT_EQ(s.lane.lastIndex, -1);
  EXPECT_FLOAT_EQ(s.lane.x[0], 99);
}

TEST_F(LaneFileTest, ShortFileOrBadTokenStopsThereAndSaysSo) {
  SmallLane s;
  fill(s, 99);
  // Point 1's x is read, its z is the bad token: z[1] and everything after
  // keep their values, even the numbers behind the bad token.
  writeFile("bad.wp", "3\n1\n2\n3\nabc\n5\n6\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("bad.wp", s.lane), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("bad.wp"), std::string::npos);
  EXPECT_EQ(s.lane.lastIndex, 3);
  EXPECT_FLOAT_EQ(s.lane.x[0], 1);
  EXPECT_FLOAT_EQ(s.lane.z[0], 2);
  EXPECT_FLOAT_EQ(s.lane.x[1], 3);
  EXPECT_FLOAT_EQ(s.lane.z[1], 99);
  EXPECT_FLOAT_EQ(s.lane.x[2], 99);

  fill(s, 99);
  writeFile("short.wp", "3\n1\n2\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("short.wp", s.lane), 1);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  EXPECT_FLOAT_EQ(s.lane.x[1], 99);

  // A count that is not a number reads nothing at all.
  fill(s, 99);
  writeFile("nocount.wp", "x 1 2");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("nocount.wp", s.lane), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "nocount.wp: the file does not start with the index of its last point; nothing "
            "read, the lane keeps its points\n");
  EXPECT_EQ(s.lane.lastIndex, 77);
  EXPECT_FLOAT_EQ(s.lane.x[0], 99);
}

TEST_F(LaneFileTest, InfinityCountsAsABadToken) {
  // "%f" would take "inf" (or 1e39, out of range); a lane point there would
  // send a car off to nowhere, so reading stops as at any bad token.
  SmallLane s;
  fill(s, 99);
  writeFile("inf.wp", "2\n1 2\ninf 3\n4 5\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("inf.wp", s.lane), 1);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  EXPECT_FLOAT_EQ(s.lane.x[1], 99);
}

TEST_F(LaneFileTest, MoreThanTheRoomReadsWhatFitsAndNeverWritesPastIt) {
  SmallLane s;
  fill(s, 99);
  // Nine points announced (last index 8), room for four; the lane keeps the
  // file's last index as written.
  writeFile("long.wp", "8 0 10 1 11 2 12 3 13 4 14 5 15 6 16 7 17 8 18");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("long.wp", s.lane), 4);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("room"), std::string::npos);
  EXPECT_EQ(s.lane.lastIndex, 8);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(s.lane.x[i], i);
    EXPECT_FLOAT_EQ(s.lane.z[i], 10 + i);
  }
  for (float g : s.guard) EXPECT_FLOAT_EQ(g, 99);

  // Indices at and beyond the range of int, up to ten million digits: every
  // C library reads them differently with "%d" (wrapped to a negative count,
  // or stopped at INT_MAX), the game one way on every build. The last index
  // stops at INT_MAX, which the recorder then leaves alone.
  const std::string digits(10 << 20, '9');
  const std::pair<std::string, std::string> huge[] = {
      {"2147483647", "2147483647"},
      {"2147483648", "2147483648"},
      {"+" + digits, "+99999999999999999999... (10485760 digits)"},
  };
  for (const auto& [index, shown] : huge) {
    fill(s, 99);
    writeFile("max.wp", index + " 0 10 1 11 2 12 3 13 4 14");
    testing::internal::CaptureStderr();
    EXPECT_EQ(readLaneFile("max.wp", s.lane), 4) << shown;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "max.wp: the index of the last point is " + shown +
                  ", beyond the lane's room of 4 points (0 to 3); reading 4\n");
    EXPECT_EQ(s.lane.lastIndex, 2147483647);
    EXPECT_FLOAT_EQ(s.lane.x[3], 3);
    EXPECT_FLOAT_EQ(s.lane.z[3], 13);
    for (float g : s.guard) EXPECT_FLOAT_EQ(g, 99);
  }
  fill(s, 99);
  writeFile("min.wp", "-" + digits + " 1 2");
  testing::internal::CaptureStderr();
  EXPECT_EQ(readLaneFile("min.wp", s.lane), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find(
                "min.wp: the index of the last point is -99999999999999999999... (10485760 "
                "digits), below 0"),
            std::string::npos);
  EXPECT_EQ(s.lane.lastIndex, -2147483647 - 1);
  EXPECT_FLOAT_EQ(s.lane.x[0], 99);
}

TEST_F(LaneFileTest, MissingFileOrAFolderKeepsTheLaneAndSaysWhich) {
  std::filesystem::create_directory("folder.wp");
  const std::pair<const char*, const char*> cases[] = {
      {"nowhere.wp", "nowhere.wp: cannot open lane file (No such file or directory)"},
      {"folder.wp", "folder.wp: is a folder, not a file"},
  };
  for (const auto& [name, message] : cases) {
    SmallLane s;
    fill(s, 99);
    testing::internal::CaptureStderr();
    EXPECT_EQ(readLaneFile(name, s.lane), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(message), std::string::npos) << said;
    EXPECT_EQ(s.lane.lastIndex, 77);
    EXPECT_FLOAT_EQ(s.lane.x[0], 99);
  }
}

TEST_F(LaneFileTest, SceneSetUpReadsBothLanesAndShortRightLaneStartsCarsAtOrigin) {
  writeSmallModels();
  writeTrack();
  writeLane(
      "L.wp", 85, [](int i) { return -i; }, [](int i) { return -500 - i; });
  // Right lane: 31 points, so the cars that start at 40, 70, 100 and 120
  // find zeros there; car 2 starts at point 20 = (20, 520).
  writeLane(
      "R.wp", 30, [](int i) { return i; }, [](int i) { return 500 + i; });
  testing::internal::CaptureStderr();
  startGame();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(leftLane.lastIndex, 85);
  EXPECT_EQ(rightLane.lastIndex, 30);
  EXPECT_FLOAT_EQ(trafficCars[2].position.x, 20);
  EXPECT_FLOAT_EQ(trafficCars[2].position.z, 520);
  for (int car : {0, 1, 3, 4}) {
    EXPECT_FLOAT_EQ(trafficCars[car].position.x, 0) << car;
    EXPECT_FLOAT_EQ(trafficCars[car].position.z, 0) << car;
  }
  EXPECT_FLOAT_EQ(trafficCars[5].position.x, -80);
  EXPECT_FLOAT_EQ(trafficCars[5].position.z, -580);
}

TEST_F(LaneFileTest, MissingLaneFilesLeaveZeroLanesOnTheFirstRun) {
  writeSmallModels();
  testing::internal::CaptureStderr();
  startGame();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("L.wp"), std::string::npos);
  EXPECT_NE(err.find("R.wp"), std::string::npos);
  EXPECT_EQ(leftLane.lastIndex, 0);
  EXPECT_FLOAT_EQ(leftLane.x[84], 0);
  EXPECT_FLOAT_EQ(trafficCars[7].position.x, 0);
}

}  // namespace
