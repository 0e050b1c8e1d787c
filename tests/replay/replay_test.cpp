// Golden replays on the hand-made track in fixture/ (see its Data/try.x):
// ground at world height 0.5 everywhere, and a wall from z 60 to 70 (x -40 to
// 40) whose top is at world height 6.5. The lanes are straight lines:
//   L.wp: point i at (0, 5 (i - 84)), so the camera starts at the origin;
//   R.wp: point i at (40, 5 i - 300).
// The traffic cars start at right-lane points 70, 120, 20, 40, 100 and left-lane
// points 80, 50, 1, 20: (40, 50), (40, 300), (40, -200), (40, -100), (40, 200),
// (0, -20), (0, -170), (0, -415), (0, -320).
//
// Every frame of these scripts is 100 ms apart (frameStep 1) unless noted.
// The start view is 11 units long and 0.01 rad to the left of the heading:
//   V0 = (-11 sin 0.01, 11 cos 0.01) = (-0.10999817, 10.99945000),
// and since moves shift eye and target together, the eye after moving by a
// total of s speed units straight ahead is s * V0. The frames checked by hand
// below are worked from the driving rules with these numbers; the rest of each
// output is compared with expected/NAME.tsv so that any change shows.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "replay_run.hpp"

namespace {

constexpr double V0X = -0.10999816667583331;
constexpr double V0Z = 10.999450004583318;
constexpr double POS = 1e-4;    // positions: float sums over tens of frames
constexpr double SPEED = 1e-6;  // speeds: sums of steps of 0.002 to 0.011
constexpr double ANGLE = 1e-5;

const char* const START_CARS[18] = {"40", "50",   "40", "300",  "40", "-200",
                                    "40", "-100", "40", "200",  "0",  "-20",
                                    "0",  "-170", "0",  "-415", "0",  "-320"};

std::string carColumn(int car, char axis) { return "car" + std::to_string(car) + axis; }

ReplayTable runGolden(const std::string& name, int frames) {
  const ReplayRun run = runReplay(fixtureDir(), scriptPath(name));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  expectMatchesExpected(name, run.out);
  ReplayTable table = parseReplay(run.out);
  EXPECT_EQ(table.columns.size(), 39u);
  EXPECT_EQ(table.rows.size(), static_cast<size_t>(frames));
  for (const auto& row : table.rows) EXPECT_EQ(row.size(), 39u);
  return table;
}

void expectEye(const ReplayTable& t, int frame, double x, double y, double z) {
  EXPECT_NEAR(t.number(frame, "eyeX"), x, POS) << "frame " << frame;
  EXPECT_NEAR(t.number(frame, "eyeY"), y, 1e-6) << "frame " << frame;
  EXPECT_NEAR(t.number(frame, "eyeZ"), z, POS) << "frame " << frame;
}

// The eye after moving s speed units along V0 (eye height y).
void expectEyeAlongStart(const ReplayTable& t, int frame, double s, double y) {
  expectEye(t, frame, s * V0X, y, s * V0Z);
}

// The view (target minus eye) is 11 long and `angle` rad left of +z.
void expectView(const ReplayTable& t, int frame, double angle) {
  EXPECT_NEAR(t.number(frame, "targetX") - t.number(frame, "eyeX"), -11 * std::sin(angle), POS)
      << "frame " << frame;
  EXPECT_NEAR(t.number(frame, "targetZ") - t.number(frame, "eyeZ"), 11 * std::cos(angle), POS)
      << "frame " << frame;
  EXPECT_NEAR(t.number(frame, "targetY"), 4.1, 1e-6) << "frame " << frame;
}

void expectCarsAtStart(const ReplayTable& t, int frame) {
  for (int car = 0; car < 9; ++car) {
    EXPECT_EQ(t.text(frame, carColumn(car, 'x')), START_CARS[2 * car]) << frame << " " << car;
    EXPECT_EQ(t.text(frame, carColumn(car, 'z')), START_CARS[2 * car + 1]) << frame << " " << car;
  }
}

// On the ground with no wall near: the low probes all see the ground above
// them, so lift 0.08, pitch 0.015 + 0.015 and roll +0.015 - 0.015 (heading
// cosine > 0).
void expectOnGround(const ReplayTable& t, int frame) {
  EXPECT_EQ(t.text(frame, "hits"), "1111000000") << "frame " << frame;
  EXPECT_NEAR(t.number(frame, "bodyLift"), 0.08, 1e-8);
  EXPECT_NEAR(t.number(frame, "bodyPitchRear"), 0.015, 1e-8);
  EXPECT_NEAR(t.number(frame, "bodyPitchFront"), 0.015, 1e-8);
  EXPECT_NEAR(t.number(frame, "bodyRollLeft"), 0.015, 1e-8);
  EXPECT_NEAR(t.number(frame, "bodyRollRight"), -0.015, 1e-8);
}

// The traffic is still on driving frames 1 to 10; on frame 11 every car stands
// on its target, so it only takes the next one; on frame 12 it moves
// 1.8 * frameStep toward it. Car 1 starts on the right lane's last point 120,
// so its next target is point 1, (40, -295): it drives back down the lane.
void expectTrafficMovesFromDrivingFrame11(const ReplayTable& t, int frame11) {
  expectCarsAtStart(t, frame11 - 1);
  expectCarsAtStart(t, frame11);
  const double movedZ[9] = {51.8, 298.2, -198.2, -98.2, 201.8, -18.2, -168.2, -413.2, -318.2};
  for (int car = 0; car < 9; ++car) {
    EXPECT_NEAR(t.number(frame11 + 1, carColumn(car, 'z')), movedZ[car], POS) << car;
    EXPECT_EQ(t.text(frame11 + 1, carColumn(car, 'x')), START_CARS[2 * car]) << car;
  }
  // Car 0 was 3.2 from point 71 (z 55) before this move: below the reach
  // 3.5, so it moves on to 53.6 and takes point 72 as its target.
  EXPECT_NEAR(t.number(frame11 + 2, "car0z"), 53.6, POS);
}

TEST(ReplayGolden, TitleScreenWaitsForEnterInTheActiveWindow) {
  const ReplayTable t = runGolden("title", 8);
  // Frames 1 to 5: the title; Enter on frames 4 and 5 is held while another
  // window is active, so it does not count. Nothing has moved: the eye stands
  // at lane point 84, the origin, at the start height 0, the view is V0.
  for (int frame = 1; frame <= 5; ++frame) {
    EXPECT_EQ(t.text(frame, "gameState"), "0");
    EXPECT_EQ(t.text(frame, "frameCounter"), "0");
    EXPECT_EQ(t.text(frame, "hits"), "0000000000");
    EXPECT_EQ(t.text(frame, "driveSign"), "1");
    expectEye(t, frame, 0, 0, 0);
    expectView(t, frame, 0.01);
    expectCarsAtStart(t, frame);
  }
  // Frame 6: Enter counts; the same call runs driving frame 1. The eye is
  // set to 0 + 7.3 before the probes find the ground under the car.
  EXPECT_EQ(t.text(6, "gameState"), "1");
  EXPECT_EQ(t.text(6, "frameCounter"), "1");
  expectEye(t, 6, 0, 7.3, 0);
  expectOnGround(t, 6);
  EXPECT_EQ(t.text(6, "carSpeed"), "0");
  // Frames 7 and 8 drive on without Enter; the lift shows in the eye: 7.38.
  EXPECT_EQ(t.text(8, "gameState"), "1");
  EXPECT_EQ(t.text(8, "frameCounter"), "3");
  expectEye(t, 8, 0, 7.38, 0);
  expectView(t, 8, 0.01);
}

TEST(ReplayGolden, AccelerateThenCoastToAStop) {
  const ReplayTable t = runGolden("accelerate", 46);
  // Frame 1: Enter, no throttle. Frames 2 to 31: Up. Each Up frame first moves
  // by the speed it starts with, then adds 0.002: after frame n the speed is
  // 0.002 (n - 1) and the moves add up to 0.002 (0 + 1 + ... + (n - 2)) =
  // 0.001 (n - 2)(n - 1).
  EXPECT_EQ(t.text(1, "carSpeed"), "0");
  EXPECT_NEAR(t.number(2, "carSpeed"), 0.002, SPEED);
  expectEyeAlongStart(t, 2, 0, 7.38);
  expectEyeAlongStart(t, 3, 0.002, 7.38);
  EXPECT_NEAR(t.number(3, "carSpeed"), 0.004, SPEED);
  EXPECT_NEAR(t.number(31, "carSpeed"), 0.06, SPEED);
  expectEyeAlongStart(t, 31, 0.87, 7.38);  // 0.001 * 29 * 30
  // Frames 32 to 46, no key: each moves by its starting speed, then coasts
  // 0.004 lower: 0.056 after frame 32, 0.06 - 0.004 m after frame 31 + m, so
  // 0.008 after frame 44. Frame 45 finds 0.008 inside the dead zone (below
  // 0.01): it snaps to 0 before the move.
  EXPECT_NEAR(t.number(32, "carSpeed"), 0.056, SPEED);
  EXPECT_NEAR(t.number(44, "carSpeed"), 0.008, SPEED);
  EXPECT_EQ(t.text(45, "carSpeed"), "0");
  EXPECT_EQ(t.text(46, "carSpeed"), "0");
  // Coasting moves 0.06 + 0.056 + ... + 0.012 (13 terms) = 0.468, so the car
  // stands at 0.87 + 0.468 = 1.338 V0.
  expectEyeAlongStart(t, 44, 1.338, 7.38);
  expectEyeAlongStart(t, 46, 1.338, 7.38);
  // No turn: heading, wheel and view stay.
  EXPECT_EQ(t.text(46, "carHeading"), "0");
  EXPECT_EQ(t.text(46, "steerValue"), "0");
  expectView(t, 46, 0.01);
  for (int frame = 1; frame <= 46; ++frame) expectOnGround(t, frame);
  expectTrafficMovesFromDrivingFrame11(t, 11);
}

TEST(ReplayGolden, SteerLeftRightAndBothKeys) {
  const ReplayTable t = runGolden("steer", 28);
  // Up on frames 2 to 28: the speed after frame n is 0.002 (n - 1) throughout.
  // After frame 11 the eye has moved 0.09 V0; frame 12 first moves by 0.02,
  // to 0.11 V0 = (-0.01209980, 1.20993950), and then Left turns the wheel to
  // 0.1 and the view by +0.03 to 0.04 rad: target = eye + 11 (-sin 0.04,
  // cos 0.04) = (-0.45198247, 12.20114067).
  expectEyeAlongStart(t, 11, 0.09, 7.38);
  expectEyeAlongStart(t, 12, 0.11, 7.38);
  EXPECT_NEAR(t.number(12, "targetX"), -0.45198247, POS);
  EXPECT_NEAR(t.number(12, "targetZ"), 12.20114067, POS);
  EXPECT_NEAR(t.number(12, "steerValue"), 0.1, 1e-6);
  EXPECT_NEAR(t.number(12, "carHeading"), 0.03, ANGLE);
  EXPECT_NEAR(t.number(12, "yawStep"), 0.03, ANGLE);
  EXPECT_EQ(t.text(12, "turningFlag"), "1");
  // Frame 13 moves by 0.022 along the turned view, 0.022 * (-0.43988268,
  // 10.99120117): eye (-0.02177722, 1.45174593).
  expectEye(t, 13, -0.02177722, 7.38, 1.45174593);
  // Five Left frames: wheel 0.5, heading 0.15, view 0.16.
  EXPECT_NEAR(t.number(16, "steerValue"), 0.5, 1e-6);
  EXPECT_NEAR(t.number(16, "carHeading"), 0.15, ANGLE);
  expectView(t, 16, 0.16);
  // Five Right frames take it all back: wheel 0, heading 0, view 0.01; the
  // last turn left yawStep at -0.03.
  EXPECT_NEAR(t.number(21, "steerValue"), 0, 1e-6);
  EXPECT_NEAR(t.number(21, "carHeading"), 0, ANGLE);
  EXPECT_NEAR(t.number(21, "yawStep"), -0.03, ANGLE);
  expectView(t, 21, 0.01);
  // Left and Right together (frames 22 to 24): neither turn nor the return
  // to centre runs, and with turningFlag 1 yawStep is not cleared, so the
  // heading goes on by -0.03 a frame while the view holds still.
  EXPECT_NEAR(t.number(24, "carHeading"), -0.09, ANGLE);
  EXPECT_NEAR(t.number(24, "steerValue"), 0, 1e-6);
  expectView(t, 24, 0.01);
  // Up alone (frames 25 to 28): the return to centre clears turningFlag and
  // yawStep; the heading keeps its -0.09.
  EXPECT_EQ(t.text(25, "turningFlag"), "0");
  EXPECT_EQ(t.text(28, "yawStep"), "0");
  EXPECT_NEAR(t.number(28, "carHeading"), -0.09, ANGLE);
  EXPECT_NEAR(t.number(28, "carSpeed"), 0.054, SPEED);
  expectView(t, 28, 0.01);
}

TEST(ReplayGolden, ReverseAndTurnWhileReversing) {
  const ReplayTable t = runGolden("reverse", 36);
  // Down on frames 2 to 21: -0.007 a frame, no limit. Frame 2 starts at speed
  // 0, so the coasting step leaves driveSign at +1; from frame 3 on it is -1.
  EXPECT_NEAR(t.number(2, "carSpeed"), -0.007, SPEED);
  EXPECT_EQ(t.text(2, "driveSign"), "1");
  EXPECT_EQ(t.text(3, "driveSign"), "-1");
  expectEyeAlongStart(t, 3, -0.007, 7.38);
  // After frame 21: speed -0.14, moved -0.007 (0 + ... + 19) = -1.33.
  EXPECT_NEAR(t.number(21, "carSpeed"), -0.14, SPEED);
  expectEyeAlongStart(t, 21, -1.33, 7.38);
  // Frame 22 (Down, Left): moves by -0.14 to -1.47 V0, speed -0.147; the
  // wheel goes to 0.1 but the view turns by driveSign * 0.03 = -0.03, to the
  // right: view angle 0.01 - 0.03 = -0.02.
  expectEyeAlongStart(t, 22, -1.47, 7.38);
  EXPECT_NEAR(t.number(22, "carSpeed"), -0.147, SPEED);
  EXPECT_NEAR(t.number(22, "steerValue"), 0.1, 1e-6);
  EXPECT_NEAR(t.number(22, "carHeading"), -0.03, ANGLE);
  expectView(t, 22, -0.02);
  // After frame 26: speed -0.175, wheel 0.5, heading -0.15, view -0.14.
  EXPECT_NEAR(t.number(26, "carSpeed"), -0.175, SPEED);
  EXPECT_NEAR(t.number(26, "steerValue"), 0.5, 1e-6);
  EXPECT_NEAR(t.number(26, "carHeading"), -0.15, ANGLE);
  expectView(t, 26, -0.14);
  // No key (frames 27 to 36): reverse coasting +0.003 a frame, -0.145 after
  // frame 36; the wheel returns 0.5 -> 0.3 -> 0.1, then 0.1 - 0.2 = -0.1 is
  // put back to 0.1 in the same frame and stays; the heading holds.
  EXPECT_NEAR(t.number(27, "carSpeed"), -0.172, SPEED);
  EXPECT_NEAR(t.number(36, "carSpeed"), -0.145, SPEED);
  EXPECT_NEAR(t.number(27, "steerValue"), 0.3, 1e-6);
  EXPECT_NEAR(t.number(28, "steerValue"), 0.1, 1e-6);
  EXPECT_NEAR(t.number(36, "steerValue"), 0.1, 1e-6);
  EXPECT_NEAR(t.number(36, "carHeading"), -0.15, ANGLE);
  EXPECT_EQ(t.text(36, "yawStep"), "0");
  EXPECT_EQ(t.text(36, "driveSign"), "-1");
  for (int frame = 1; frame <= 36; ++frame) EXPECT_EQ(t.text(frame, "hits"), "1111000000");
}

TEST(ReplayGolden, BrakeIntoTheWall) {
  const ReplayTable t = runGolden("wall", 91);
  // Up on frames 2 to 61: speed 0.12, moved 0.002 (0 + ... + 59) = 3.54 V0.
  EXPECT_NEAR(t.number(61, "carSpeed"), 0.12, SPEED);
  expectEyeAlongStart(t, 61, 3.54, 7.38);
  // Down from frame 62: forward coasting (-0.004) and the brake (-0.007)
  // both act, so the speed after frame 61 + k is 0.12 - 0.011 k and the
  // moves so far 3.54 + 0.12 k - 0.0055 k (k - 1).
  //
  // Probe 9 stands 10 v + 12 ahead of the body, which is 6.9 behind the
  // target (heading 0): z = eyeZ + 10.99945 - 6.9 + 10 v + 12, with the eye
  // and v as the frame starts.
  //   Frame 65 (k = 4): eye 3.867 V0 (z 42.53487), v 0.087: 59.50432, short
  //   of the wall at 60.
  //   Frame 66 (k = 5): eye 3.954 V0 (z 43.49183), v 0.076: 60.35128, over
  //   the wall. Probes 5 to 8 stand 4.5 nearer (55.85): clear.
  EXPECT_NEAR(t.number(65, "carSpeed"), 0.076, SPEED);
  EXPECT_EQ(t.text(65, "hits"), "1111000000");
  EXPECT_EQ(t.text(66, "hits"), "1111001000");
  // Frame 66: moves by 0.076 (to 4.030 V0), coasts to 0.072, brakes to 0.065
  // (only probes 10 to 12 stop the brake), then the front-centre hit bounces
  // it back: -0.065 / 3 = -0.0216667; turningFlag 1, yawStep 0.
  expectEyeAlongStart(t, 66, 4.030, 7.38);
  EXPECT_NEAR(t.number(66, "carSpeed"), -0.065 / 3, SPEED);
  EXPECT_EQ(t.text(66, "turningFlag"), "1");
  EXPECT_EQ(t.text(66, "yawStep"), "0");
  // Frame 67: eye 4.030 V0 (z 44.32778) and v -0.0216667 put probe 9 at
  // 60.21056: still over the wall. Speed below 0: driveSign -1, and with Down
  // held no reverse coasting; the brake gives -0.0286667, which the centre
  // response (for speeds above 0 only) leaves alone.
  EXPECT_EQ(t.text(67, "hits"), "1111001000");
  EXPECT_NEAR(t.number(67, "carSpeed"), -0.065 / 3 - 0.007, SPEED);
  EXPECT_EQ(t.text(67, "driveSign"), "-1");
  expectEyeAlongStart(t, 67, 4.030 - 0.065 / 3, 7.38);
  // Frame 68: probe 9 at 44.08946 + 4.09945 - 0.28667 + 12 = 59.90224: clear;
  // the return to centre clears turningFlag, and Down now reverses the car.
  EXPECT_EQ(t.text(68, "hits"), "1111000000");
  EXPECT_EQ(t.text(68, "turningFlag"), "0");
  EXPECT_NEAR(t.number(68, "carSpeed"), -0.065 / 3 - 0.014, SPEED);
  EXPECT_NEAR(t.number(91, "carHeading"), 0, ANGLE);
}

TEST(ReplayGolden, LostDeviceResetsTheSceneNotTheDriving) {
  const ReplayTable t = runGolden("lost_device", 16);
  // Frames 2 to 6: Up; after frame 6 the speed is 0.01, moved 0.02 V0.
  // Frame 7 still draws (speed 0.012, moved 0.03 V0); its present reports the
  // device lost.
  EXPECT_NEAR(t.number(7, "carSpeed"), 0.012, SPEED);
  EXPECT_EQ(t.text(7, "frameCounter"), "7");
  expectEyeAlongStart(t, 7, 0.03, 7.38);
  // Frames 8 and 9: the device test answers lost; nothing runs.
  for (int frame = 8; frame <= 9; ++frame) {
    EXPECT_EQ(t.row(frame).size(), t.row(7).size());
    for (size_t i = 1; i < t.row(7).size(); ++i)
      EXPECT_EQ(t.row(frame)[i], t.row(7)[i]) << "frame " << frame << " " << t.columns[i];
  }
  // Frame 10: not-reset; the reset runs the scene set-up: the camera is back
  // at the origin with the start view (its height stays), and the driving
  // values and the frame count keep theirs.
  expectEyeAlongStart(t, 10, 0, 7.38);
  expectView(t, 10, 0.01);
  EXPECT_NEAR(t.number(10, "carSpeed"), 0.012, SPEED);
  EXPECT_EQ(t.text(10, "frameCounter"), "7");
  // Frame 11 draws again. Every frame that finds the device lost sleeps
  // 100 ms first, frame 11 too (its test answers usable), so frames 9 to 12
  // start 200 ms after the one before: frameStep 2. Driving frame 8 moves by
  // 0.012 and adds 0.002 * 2: speed 0.016.
  EXPECT_EQ(t.text(11, "frameCounter"), "8");
  expectEyeAlongStart(t, 11, 0.012, 7.38);
  EXPECT_NEAR(t.number(11, "carSpeed"), 0.016, SPEED);
  // Frame 12, frameStep 2 again: moved 0.028, speed 0.020. Frames 13 to 16
  // are 100 ms apart: speed 0.028, moved 0.028 + 0.020 + ... + 0.026 = 0.120.
  expectEyeAlongStart(t, 12, 0.028, 7.38);
  EXPECT_NEAR(t.number(12, "carSpeed"), 0.020, SPEED);
  EXPECT_NEAR(t.number(16, "carSpeed"), 0.028, SPEED);
  expectEyeAlongStart(t, 16, 0.120, 7.38);
  // The traffic was put back too; driving frame 11 is frame 14.
  expectTrafficMovesFromDrivingFrame11(t, 14);
}

TEST(ReplayData, MissingFilesAreReportedAndTheReplayGoesOn) {
  TempFolder empty;
  const ReplayRun run = runReplay(empty.path(), scriptPath("missing_files"));
  EXPECT_EQ(run.exitCode, 0);
  for (const char* file : {"L.wp", "R.wp", "Data/try.x", "Data/car.x", "Data/skybox2.x", "M.mp3"})
    EXPECT_NE(run.err.find(file), std::string::npos) << file << " not reported:\n" << run.err;
  const ReplayTable t = parseReplay(run.out);
  ASSERT_EQ(t.rows.size(), 4u);
  // No lanes: the camera and every car start at (0, 0). No track: no probe
  // hits, no lift, so the eye stays at 7.3. Up on frames 2 to 4: moved
  // 0 + 0.002 + 0.004 = 0.006 V0, speed 0.006.
  for (int frame = 1; frame <= 4; ++frame) {
    EXPECT_EQ(t.text(frame, "hits"), "0000000000");
    EXPECT_EQ(t.text(frame, "bodyLift"), "0");
    for (int car = 0; car < 9; ++car) EXPECT_EQ(t.text(frame, carColumn(car, 'z')), "0");
  }
  expectEyeAlongStart(t, 4, 0.006, 7.3);
  EXPECT_NEAR(t.number(4, "carSpeed"), 0.006, SPEED);
}

TEST(ReplayScript, MalformedLinesStopTheReplayBeforeAnyFrame) {
  TempFolder folder;
  const std::string longLine(1001, '1');
  const struct {
    const char* name;
    std::string text;
    const char* where;  // the line the message must name
  } cases[] = {
      {"missing ms", "3\n", ":1:"},
      {"count not a number", "x 16\n", ":1:"},
      {"negative count", "-1 16\n", ":1:"},
      {"negative ms", "3 -16\n", ":1:"},
      {"fractional ms", "3 16.5\n", ":1:"},
      {"count too large", "4294967296 16\n", ":1:"},
      {"unknown key", "3 16 Up Jump\n", ":1:"},
      {"key in the wrong case", "3 16 up\n", ":1:"},
      {"lose without a count", "lose\n", ":1:"},
      {"lose with two counts", "lose 1 2\n", ":1:"},
      {"lose count too large", "lose 100001\n", ":1:"},
      {"lose counts too large together", "lose 60000\n1 16\nlose 60000\n", ":3:"},
      {"line too long", longLine + "\n", ":1:"},
      {"NUL byte", std::string("3 16\0 Up\n", 9), ":1:"},
      // Good lines first: still no frame runs; comments and blank lines count
      // in the line numbers.
      {"bad line after good ones", "# drive\n\n1 100 Enter\n   \n2 100 Up Sideways\n", ":5:"},
  };
  for (const auto& c : cases) {
    folder.write("script.txt", c.text);
    const ReplayRun run = runReplay(fixtureDir(), folder.path() + "/script.txt");
    EXPECT_EQ(run.exitCode, 2) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_NE(run.err.find(folder.path() + "/script.txt" + c.where), std::string::npos)
        << c.name << ": " << run.err;
  }
}

TEST(ReplayScript, AcceptsWhatTheFormatAllows) {
  TempFolder folder;
  // CR line ends, tabs, a last line without a line end, a count of 0 and
  // 'inactive' among the keys; 'lose 0' loses the device and answers
  // not-reset at once.
  folder.write("script.txt",
               "# comment\r\n2\t16 Enter\r\n0 16\n  # indented comment\nlose 0\n"
               "3 16 inactive Up\n1 0");
  const ReplayRun run = runReplay(fixtureDir(), folder.path() + "/script.txt");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const ReplayTable t = parseReplay(run.out);
  ASSERT_EQ(t.rows.size(), 6u);
  // Frame 3 presents and loses the device; 4 resets it; 5 draws; all with the
  // window inactive, so Up does nothing.
  EXPECT_EQ(t.text(2, "frameCounter"), "2");
  EXPECT_EQ(t.text(3, "frameCounter"), "3");
  EXPECT_EQ(t.text(4, "frameCounter"), "3");
  EXPECT_EQ(t.text(5, "frameCounter"), "4");
  EXPECT_EQ(t.text(5, "carSpeed"), "0");
  EXPECT_EQ(t.text(6, "frameCounter"), "5");
}

TEST(ReplayScript, UsageAndUnreadableScriptsGiveExitCode2) {
  const ReplayRun missing = runReplay(fixtureDir(), "/nonexistent/script.txt");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("/nonexistent/script.txt"), std::string::npos);
  const ReplayRun folder = runReplay(fixtureDir(), fixtureDir());
  EXPECT_EQ(folder.exitCode, 2);
  EXPECT_EQ(folder.out, "");
}

TEST(ReplayData, GeneratedWorldRunsAThousandFrames) {
  const std::string run = REPLAY_RUN_DIR;
  if (!std::ifstream(run + "/Data/try.x")) GTEST_SKIP() << "no generated world in " << run;
  const ReplayRun r = runReplay(run, scriptPath("long_drive"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");  // every file the game reads is there
  const ReplayTable t = parseReplay(r.out);
  ASSERT_EQ(t.rows.size(), 1201u);
  for (const auto& row : t.rows) ASSERT_EQ(row.size(), 39u);
  // Four of the frames wait out the lost device (three lost tests and the
  // reset) and run no driving frame.
  EXPECT_EQ(t.text(1201, "frameCounter"), "1197");
  // The car has left its start point and the traffic is moving.
  EXPECT_NE(t.text(1201, "eyeX"), t.text(1, "eyeX"));
  EXPECT_NE(t.text(1201, "car0x"), t.text(1, "car0x"));
}

}  // namespace
