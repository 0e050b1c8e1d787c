#include <algorithm>
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
    system().clockUsPart = 0;
    step();
  }
  // One step of the loop at whatever time the last one left.
  void step() {
    int32_t code = -1;
    ASSERT_TRUE(runMainLoopStep(code));
  }

  std::vector<std::string> waits() {
    std::vector<std::string> out;
    for (const auto& c : system().log.calls()) {
      if (c.name == "waitForEventUs") out.push_back(c.args);
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

TEST_F(MainLoopTest, AnEarlyFrameWaitsOnTheFineClockUntilASixtiethAfterTheLastOneWasDue) {
  startFrameClock();
  stepAt(0);
  stepAt(5);  // the frame at 0 took 5 ms: due at 16666.667 us, so 11666.667 us rounded up
  EXPECT_EQ(waits(), std::vector<std::string>{"11667"});
  EXPECT_EQ(system().timeUs(), 16667u);
  EXPECT_EQ(frameCount(), 1);
  step();
  EXPECT_EQ(frameCount(), 2);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.16f);  // the millisecond timer reads 16

  stepAt(30);  // due at 33333.334 us
  EXPECT_EQ(waits().back(), "3334");
  step();
  EXPECT_EQ(frameCount(), 3);
  EXPECT_FLOAT_EQ(appState->frameStep, 0.17f);  // 33 - 16
}

TEST_F(MainLoopTest, AtSixtyASecondTheStepsFollowTheMillisecondsAsTheyFall) {
  startFrameClock();
  // Frames are due at 0, 16666.667, 33333.333, 50000, 66666.667, 83333.333
  // and 100000 us, and start at the next whole microsecond: the timer reads
  // 0, 16, 33, 50, 66, 83, 100.
  const float expected[] = {0.16f, 0.17f, 0.17f, 0.16f, 0.17f, 0.17f};
  step();
  for (float e : expected) {
    step();  // the wait
    step();  // the frame
    EXPECT_FLOAT_EQ(appState->frameStep, e);
  }
  EXPECT_EQ(system().timeUs(), 100001u);
  EXPECT_EQ(frameCount(), 7);
}

TEST_F(MainLoopTest, AWakeUpALittleLateKeepsTheGridAndALateFrameStartsANewOne) {
  startFrameClock();
  stepAt(0);
  stepAt(18);  // 1.333 ms after the frame was due: next due at 33333.334 us
  EXPECT_EQ(frameCount(), 2);
  stepAt(20);
  EXPECT_EQ(waits().back(), "13334");
  stepAt(60);  // 26.667 ms late: the next frame is due 1/60 s after this one
  EXPECT_EQ(frameCount(), 3);
  stepAt(70);
  EXPECT_EQ(waits().back(), "6667");
}

TEST_F(MainLoopTest, PresentsThatWaitPaceTheFramesUntilAFrameComesAWholePeriodEarly) {
  presentParams.presentationInterval = platform::PRESENT_INTERVAL_ONE;
  startFrameClock();
  stepAt(0);   // due next at 16.667 ms
  stepAt(10);  // let through early by the display: runs, due next at 33.333
  stepAt(26);  // due next at 50
  EXPECT_TRUE(waits().empty());
  EXPECT_EQ(frameCount(), 3);
  // 20.000001 ms early (three periods of 16666667 ns): the present did not
  // wait, so the loop sleeps.
  stepAt(30);
  EXPECT_EQ(waits(), std::vector<std::string>{"20001"});
  EXPECT_EQ(frameCount(), 3);
  step();  // at 50 ms
  EXPECT_EQ(frameCount(), 4);
  stepAt(55);  // sleeping from now on: due at 66.667
  EXPECT_EQ(waits().back(), "11667");
  EXPECT_EQ(frameCount(), 4);
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
  EXPECT_EQ(waits(), std::vector<std::string>{"16667"});
  EXPECT_EQ(system().clockMs, 10u);  // woken by the message, not at the frame time
  EXPECT_EQ(frameCount(), 1);
}

TEST_F(MainLoopTest, TheLoopRunsSixtyFramesASecond) {
  system().scheduled.push_back({1000, platform::Event{}});  // the quit event, code 0
  system().scheduled.back().event.exitCode = 7;
  EXPECT_EQ(runMainLoop(), 7);
  // Frames start at 0, 16666.667, ..., 983333.333 us; the one due at
  // 1000000 us finds the quit event first.
  EXPECT_EQ(frameCount(), 60);
}

// A loop woken by the display, as the browser's animation frames wake it:
// each wake-up runs steps until one would wait. Wake-ups come at the
// display's rate, each up to half a millisecond early or late.
TEST_F(MainLoopTest, WokenByADisplayAt60To144HzTheLoopRunsSixtyFramesASecond) {
  for (const double hz : {60.0, 120.0, 144.0}) {
    SCOPED_TRACE(hz);
    resetMainLoopState();
    nullDevice().log.clear();
    system().clockMs = 0;
    system().clockUsPart = 0;
    startFrameClock();
    for (int i = 0;; ++i) {
      const double jitterUs = (i * 7919 % 1001) - 500.0;
      const auto us = static_cast<uint64_t>(std::max(0.0, i * 1e6 / hz + jitterUs));
      if (us >= 10000000) break;
      system().clockMs = static_cast<uint32_t>(us / 1000);
      system().clockUsPart = static_cast<uint32_t>(us % 1000);
      int32_t code = 0;
      uint32_t waitUs = 0;
      int frames = 0;
      while (stepMainLoop(code, waitUs, WOKEN_FRAME_WINDOW) == LoopStep::Frame) ++frames;
      ASSERT_LE(frames, 1);
    }
    // Due at 0, 16.667, ..., 9983.333 ms: 600 frames, and the one due at
    // 10 s may run at a wake-up up to half a period before it.
    EXPECT_NEAR(frameCount(), 600, 1);
  }
}

TEST_F(MainLoopTest, NoFrameRunsAfterTheQuitEvent) {
  system().postQuit(3);
  system().push(keyDown('A'));
  EXPECT_EQ(runMainLoop(), 3);
  EXPECT_EQ(frameCount(), 0);
  EXPECT_EQ(system().pending.size(), 1u);
}

}  // namespace
