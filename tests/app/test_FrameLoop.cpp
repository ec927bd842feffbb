// Frame pacing and the frames-per-second count, run on a fake counter.
#include <vector>

#include "ShellFixture.h"
#include "app/FrameLoop.h"

namespace {

class FrameLoopTest : public ShellFixture {
 protected:
  // Runs the loop until `frames` frames have been drawn; records each frame's start and the
  // FramesPerSecond it saw.
  int32_t Run(int frames, int64_t frequency) {
    return RunFrameLoop(frequency, [this, frames] {
      starts.push_back(counter.Now());
      fps.push_back(FramesPerSecond);
      if (static_cast<int>(starts.size()) == frames) PostQuitMessage(7);
    });
  }

  std::vector<int64_t> starts;
  std::vector<int32_t> fps;
};

TEST_F(FrameLoopTest, OneFrameASecondCountsTwoThenOne) {
  MaxFrameRate = 1;
  EXPECT_EQ(Run(5, 1000), 7);
  EXPECT_EQ(fps, (std::vector<int32_t>{0, 2, 1, 1, 1}));
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_GT(starts[i] - starts[i - 1], 1000);
}

TEST_F(FrameLoopTest, FramesStartOnceTheCounterPassesTheDeadline) {
  MaxFrameRate = 60;
  Run(4, 10000000);
  ASSERT_EQ(starts.size(), 4u);
  // 10 MHz / 60 truncates to 166666 ticks, counted from the start of the previous frame.
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], 166667);
  EXPECT_GT(script.timedWaits, 0);
  EXPECT_EQ(script.waits, 0);
}

TEST_F(FrameLoopTest, FramesPerSecondStaysZeroUntilASecondHasPassed) {
  MaxFrameRate = 10;
  Run(11, 1000);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(fps[i], 0) << "frame " << i;
  EXPECT_EQ(fps[10], 11);
}

TEST_F(FrameLoopTest, ExactlyOneSecondIsNotYetMoreThanOne) {
  // A frame rate above the counter's frequency makes every frame one tick: 1024 frames of
  // 1/1024 s add up to exactly 1.0 s, and only the frame after them updates the count.
  MaxFrameRate = 2048;
  Run(1025, 1024);
  ASSERT_EQ(fps.size(), 1025u);
  EXPECT_EQ(fps[1023], 0);
  EXPECT_EQ(fps[1024], 1025);
}

TEST_F(FrameLoopTest, ASlowFrameIsFollowedAtOnceWithoutCatchingUp) {
  MaxFrameRate = 10;  // 100 ticks a frame
  RunFrameLoop(1000, [this] {
    starts.push_back(counter.Now());
    if (starts.size() == 1) counter.Advance(350);
    if (starts.size() == 3) PostQuitMessage(0);
  });
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[1], starts[0] + 350);
  EXPECT_EQ(starts[2], starts[1] + 101);
}

TEST_F(FrameLoopTest, APauseWhileInactiveCountsIntoTheNextFrame) {
  ASSERT_EQ(CreateMainWindow(), 1);
  MaxFrameRate = 10;
  script.At(250, To(MainWindow, WM_ACTIVATEAPP, 0));
  script.At(5000, To(MainWindow, WM_ACTIVATEAPP, 1));
  Run(4, 1000);
  // Three frames before the pause, then one whose elapsed time holds the whole pause.
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[3], 5000);
  EXPECT_EQ(fps[3], 4);
  EXPECT_EQ(script.waits, 1);
}

TEST_F(FrameLoopTest, MessagesAreHandledBeforeTheNextFrame) {
  ASSERT_EQ(CreateMainWindow(), 1);
  script.At(30, To(MainWindow, WM_ACTIVATEAPP, 0));
  script.At(31, To(MainWindow, WM_ACTIVATEAPP, 1));
  MaxFrameRate = 10;
  Run(2, 1000);
  // The first frame's deadline wait ends early for the message; the loop handles both
  // messages and only then draws the second frame, at its own deadline.
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[1], starts[0] + 101);
  EXPECT_EQ(AppActive, 1);
}

}  // namespace
