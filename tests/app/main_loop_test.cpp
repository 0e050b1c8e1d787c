#include <vector>

#include "app_fixture.hpp"

using platform::EventType;

namespace {

class MainLoopTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    startUp();
  }

  // One step of the loop at the given time; the loop must not end.
  void stepAt(uint32_t ms) {
    system().clockMs = ms;
    int32_t code = -1;
    ASSERT_TRUE(runMainLoopStep(code));
  }

  std::vector<std::string> waits() {
    std::vector<std::string> out;
    for (const auto& c : system().log.calls()) {
      if (c.name == "waitForEvent") out.push_back(c.args);
    }
    return out;
  }
};

TEST_F(MainLoopTest, StepIsTheTimeSinceTheLastFrameInHundredsOfMilliseconds) {
  system().clockMs = 1000;
  startFrameClock();
  stepAt(1003);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.03f);  // first frame: time since the loop began
  stepAt(1020);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.17f);
  stepAt(1270);
  EXPECT_FLOAT_EQ(appState->frameStep, 2.5f);
  EXPECT_EQ(frameCount(), 3);
}

TEST_F(MainLoopTest, StepSurvivesTheTimerWrap) {
  system().clockMs = 0xFFFFFFF6u;  // 10 ms before the wrap
  startFrameClock();
  stepAt(0xFFFFFFF6u);
  stepAt(15);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.25f);
}

TEST_F(MainLoopTest, PendingMessagesComeFirstAndTheNextStepCoversTheWait) {
  startFrameClock();
  stepAt(0);
  platform::Event move;
  move.type = EventType::MouseMove;
  for (uint32_t t = 20; t <= 250; t += 10) {
    system().push(move);
    stepAt(t);  // handles the message; no frame while one is pending
  }
  EXPECT_EQ(frameCount(), 1);
  stepAt(250);
  EXPECT_EQ(frameCount(), 2);
  EXPECT_FLOAT_EQ(appState->frameStep, 2.5f);
}

TEST_F(MainLoopTest, FramesPerSecondIsPublishedOnceASecondCountingThePublishingFrame) {
  startFrameClock();
  for (uint32_t t = 20; t < 1000; t += 20) stepAt(t);
  EXPECT_EQ(appState->framesPerSecond, 0);
  stepAt(1000);  // the 50th frame
  EXPECT_EQ(appState->framesPerSecond, 50);

  appState->framesPerSecond = 0;
  for (uint32_t t = 1020; t < 2000; t += 20) stepAt(t);
  EXPECT_EQ(appState->framesPerSecond, 0);
  stepAt(2000);
  EXPECT_EQ(appState->framesPerSecond, 50);
}

TEST_F(MainLoopTest, AnEarlyFrameWaitsUntilAFrameTimeAfterItsStart) {
  startFrameClock();
  stepAt(0);
  stepAt(5);  // the frame at 0 took 5 ms: wait 11.7 ms, rounded up
  EXPECT_EQ(waits(), std::vector<std::string>{"12"});
  EXPECT_EQ(system().clockMs, 17u);
  EXPECT_EQ(frameCount(), 1);
  stepAt(17);
  EXPECT_EQ(frameCount(), 2);

  stepAt(33);  // 16 ms after the frame at 17: one more millisecond
  EXPECT_EQ(waits().back(), "1");
  stepAt(34);
  EXPECT_EQ(frameCount(), 3);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.17f);
}

TEST_F(MainLoopTest, ALateFrameDoesNotWait) {
  startFrameClock();
  stepAt(0);
  stepAt(30);
  EXPECT_TRUE(waits().empty());
  EXPECT_EQ(frameCount(), 2);
}

TEST_F(MainLoopTest, AMessageDuringTheWaitIsHandledAtOnce) {
  platform::Event escape;
  escape.type = EventType::KeyDown;
  escape.virtualKey = 0x1B;
  system().scheduled.push_back({10, escape});
  EXPECT_EQ(runMainLoop(), 0);
  EXPECT_EQ(waits(), std::vector<std::string>{"17"});
  EXPECT_EQ(system().clockMs, 10u);  // woken by the message, not at the frame time
  EXPECT_EQ(frameCount(), 1);
}

TEST_F(MainLoopTest, TheLoopRunsAtMostSixtyFramesASecond) {
  system().scheduled.push_back({1000, platform::Event{}});  // the quit event, code 0
  system().scheduled.back().event.exitCode = 7;
  EXPECT_EQ(runMainLoop(), 7);
  // Frames start at 0, 17, 34, ..., 986: 17 ms apart on a millisecond clock.
  EXPECT_EQ(frameCount(), 59);
}

TEST_F(MainLoopTest, NoFrameRunsAfterTheQuitEvent) {
  system().postQuit(3);
  system().push(keyDown('A'));
  EXPECT_EQ(runMainLoop(), 3);
  EXPECT_EQ(frameCount(), 0);
  EXPECT_EQ(system().pending.size(), 1u);
}

}  // namespace
