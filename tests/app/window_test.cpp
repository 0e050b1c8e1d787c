#include <string>

#include "app/entry.hpp"
#include "app_fixture.hpp"

using platform::EventType;

namespace {

class WindowTest : public AppTest {};

TEST_F(WindowTest, ZeroSettingsGiveA400By400OverlappedWindowAndAreWrittenBack) {
  createMainWindow();

  ASSERT_TRUE(mainWindow);
  EXPECT_EQ(system().lastClassName, "MY_WINDOWS_CLASS");
  EXPECT_EQ(system().lastCaption, "NALIK Application");
  EXPECT_EQ(system().lastDesc.x, 0);
  EXPECT_EQ(system().lastDesc.y, 0);
  EXPECT_EQ(system().lastDesc.width, 400);
  EXPECT_EQ(system().lastDesc.height, 400);
  EXPECT_EQ(system().lastDesc.style, 0x00CF0000u);
  EXPECT_TRUE(system().lastDesc.acceptFiles);
  EXPECT_TRUE(system().windowShown);
  EXPECT_EQ(appState->windowWidth, 400);
  EXPECT_EQ(appState->windowHeight, 400);
  EXPECT_EQ(appState->windowStyle, 0x00CF0000u);
  // The device that follows is full screen at 1024 by 768.
  EXPECT_EQ(backBufferWidth, 1024u);
  EXPECT_EQ(backBufferHeight, 768u);
  EXPECT_EQ(windowedFlag, 0);
}

TEST_F(WindowTest, SetValuesAreKeptAndStartHiddenLeavesTheWindowUnshown) {
  appState->windowWidth = 640;
  appState->windowHeight = 0;
  appState->windowStyle = 0x10000000;
  appState->windowX = -20;
  appState->startHidden = 1;
  createMainWindow();

  EXPECT_EQ(system().lastDesc.width, 640);
  EXPECT_EQ(system().lastDesc.height, 400);
  EXPECT_EQ(system().lastDesc.style, 0x10000000u);
  EXPECT_EQ(system().lastDesc.x, -20);
  EXPECT_FALSE(system().windowShown);
  EXPECT_EQ(system().log.count("updateMainWindow"), 1);
}

TEST_F(WindowTest, FailedRegistrationOrCreationLeavesNoWindow) {
  system().registerFails = true;
  createMainWindow();
  EXPECT_FALSE(mainWindow);
  EXPECT_EQ(system().log.count("createMainWindow"), 0);
  EXPECT_EQ(appState->windowWidth, 0);  // stopped before the defaults

  system().registerFails = false;
  system().createFails = true;
  createMainWindow();
  EXPECT_FALSE(mainWindow);
  EXPECT_FALSE(system().windowShown);
}

TEST_F(WindowTest, CloseDestroyAndEscapeQuitWithZeroOtherKeysDoNothing) {
  mainWindowProc(keyDown('A'));
  mainWindowProc(keyDown(0x0D));
  EXPECT_TRUE(system().pending.empty());

  appState->ignoreEscape = 1;
  mainWindowProc(keyDown(0x1B));
  EXPECT_TRUE(system().pending.empty());

  appState->ignoreEscape = 0;
  mainWindowProc(keyDown(0x1B));
  mainWindowProc(ofType(EventType::Close));
  mainWindowProc(ofType(EventType::Destroy));
  ASSERT_EQ(system().pending.size(), 3u);
  for (const platform::Event& e : system().pending) {
    EXPECT_EQ(e.type, EventType::Quit);
    EXPECT_EQ(e.exitCode, 0);
  }
}

TEST_F(WindowTest, MouseWordsAreSigned16BitValues) {
  platform::Event move = ofType(EventType::MouseMove);
  move.packedPosition = 0xFFFF0005u;
  mainWindowProc(move);
  EXPECT_EQ(appState->mouseX, 5);
  EXPECT_EQ(appState->mouseY, -1);

  move.packedPosition = 0x7FFF8000u;
  mainWindowProc(move);
  EXPECT_EQ(appState->mouseX, -32768);
  EXPECT_EQ(appState->mouseY, 32767);
}

TEST_F(WindowTest, ThreeDroppedFilesLeaveTheThirdPath) {
  mainWindowProc(ofType(EventType::DropBegin));
  for (const char* path : {"/tmp/first.x", "/home/a/second file.wp", "/c/third.mp3"}) {
    platform::Event file = ofType(EventType::DropFile);
    file.path = path;
    mainWindowProc(file);
    EXPECT_EQ(appState->fileDropped, 0);
  }
  mainWindowProc(ofType(EventType::DropComplete));
  EXPECT_STREQ(droppedFilePath, "/c/third.mp3");
  EXPECT_EQ(appState->fileDropped, 1);
}

TEST_F(WindowTest, AnOverlongDroppedPathIsCutTo259Characters) {
  platform::Event file = ofType(EventType::DropFile);
  file.path = std::string(1000, 'p');
  mainWindowProc(file);
  EXPECT_EQ(std::string(droppedFilePath), std::string(259, 'p'));
}

TEST_F(WindowTest, KeysReadOnlyWhileTheMainWindowIsActive) {
  startUp();
  backend->keyboard.press(platform::DIK_UP);
  readKeyboard();
  EXPECT_TRUE(isKeyDown(platform::DIK_UP));
  EXPECT_FALSE(isKeyDown(platform::DIK_DOWN));

  system().active = false;
  EXPECT_EQ(KeyState[platform::DIK_UP], 0x80);
  EXPECT_FALSE(isKeyDown(platform::DIK_UP));

  // A key pressed and released between two reads is never seen.
  system().active = true;
  backend->keyboard.releaseAll();
  backend->keyboard.press(platform::DIK_SPACE);
  backend->keyboard.release(platform::DIK_SPACE);
  readKeyboard();
  EXPECT_FALSE(isKeyDown(platform::DIK_SPACE));
  EXPECT_FALSE(isKeyDown(platform::DIK_UP));
}

TEST_F(WindowTest, RunGameEndsWithTheQuitCodeOnEscapeOrClose) {
  for (EventType type : {EventType::KeyDown, EventType::Close}) {
    SetUp();
    platform::Event e = type == EventType::KeyDown ? keyDown(0x1B) : ofType(type);
    system().scheduled.push_back({100, e});
    EXPECT_EQ(runGame(), 0);
    EXPECT_GE(system().clockMs, 100u);
    EXPECT_LT(system().clockMs, 120u);
    EXPECT_EQ(sceneSetUpRuns, 1);
    EXPECT_EQ(backend->graphics.log.count("releaseDevice"), 1);
    EXPECT_EQ(device, nullptr);
  }
}

TEST_F(WindowTest, RunGameFailsWithoutADeviceOrAWindow) {
  backend->graphics.createFails = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(runGame(), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("graphics device could not be created"),
            std::string::npos);
  EXPECT_EQ(system().log.count("waitForEventUs"), 0);
  EXPECT_EQ(sceneSetUpRuns, 0);

  SetUp();
  system().createFails = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(runGame(), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("main window"), std::string::npos);
  EXPECT_EQ(backend->graphics.log.count("createDevice"), 0);
}

}  // namespace
