#include "jobs/progress_tick.h"

#include <gtest/gtest.h>

#include "io/tcp_connection.h"

namespace gc {
namespace {

// The progress dialog's tick: the end of the job closes it; after Cancel a
// write that has not moved for a whole tick is aborted, and one that moves is not.
struct Tick : ::testing::Test {
  ProgressWatch watch;
  TcpConnection connection;
  int restores = 0;
  TickResult Run() {
    return ProgressTick(watch, [&] { ++restores; });
  }
  void SetUp() override {
    watch.running = 1;
    watch.abortableConnection = &connection;
  }
};

TEST_F(Tick, EndedJobClosesAndForgetsTheCancel) {
  RequestCancel(watch);
  watch.running = 0;
  EXPECT_EQ(Run(), TickResult::JobEnded);
  EXPECT_EQ(watch.cancelRequested, 0);
  EXPECT_EQ(connection.abortFlag, 0);
  EXPECT_EQ(restores, 0);
}

TEST_F(Tick, WithoutCancelAStallIsOnlyWatched) {
  EXPECT_EQ(Run(), TickResult::Waiting);
  EXPECT_EQ(Run(), TickResult::Waiting);
  EXPECT_EQ(connection.abortFlag, 0);
  EXPECT_EQ(watch.abortableConnection, &connection);
  EXPECT_EQ(restores, 0);
}

TEST_F(Tick, CancelWaitsWhileDataMoves) {
  RequestCancel(watch);
  watch.byteCounter = 4096;
  EXPECT_EQ(Run(), TickResult::Moving);
  EXPECT_EQ(watch.previousCounter, 4096u);
  EXPECT_EQ(connection.abortFlag, 0);
  EXPECT_EQ(restores, 0);
  // The next tick sees no progress: now the write is aborted, once.
  EXPECT_EQ(Run(), TickResult::Waiting);
  EXPECT_EQ(connection.abortFlag, 1);
  EXPECT_EQ(watch.abortableConnection, nullptr);
  EXPECT_EQ(restores, 1);
}

TEST_F(Tick, CancelBetweenWritesRestoresBidiOnly) {
  watch.abortableConnection = nullptr;
  RequestCancel(watch);
  EXPECT_EQ(Run(), TickResult::Waiting);
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(connection.abortFlag, 0);
}

}  // namespace
}  // namespace gc
