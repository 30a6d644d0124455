// Items shared by a few threads, where handling one brings more.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "common/work_queue.h"

namespace zel {
namespace {

// A tree of numbered nodes, each with three children down to depth 6: every
// node is handled once, whatever thread finds it, and Run returns only after
// the last one.
TEST(WorkQueue, EveryItemIsHandledOnceAndRunWaitsForTheLast) {
  struct Node {
    int depth = 0;
    int id = 0;
  };
  for (unsigned threads : {1u, 2u, 4u}) {
    SCOPED_TRACE(threads);
    WorkQueue<Node> queue;
    std::vector<std::atomic<int>> seen(1093);  // (3^7 - 1) / 2 nodes
    queue.Push(Node{0, 0});
    queue.Run(threads, [&](const Node& n) {
      seen[static_cast<size_t>(n.id)] += 1;
      if (n.depth == 6) return;
      for (int c = 1; c <= 3; ++c) queue.Push(Node{n.depth + 1, n.id * 3 + c});
    });
    int handled = 0;
    for (const auto& s : seen) {
      EXPECT_EQ(s.load(), 1);
      handled += s.load();
    }
    EXPECT_EQ(handled, 1093);
  }
}

// A walk that never has two items waiting (a chain, each item bringing one
// more) is handled on the calling thread alone: no helper is started for it.
TEST(WorkQueue, AWalkThatNeverFansOutStaysOnTheCallingThread) {
  WorkQueue<int> queue;
  std::mutex mutex;
  std::vector<std::thread::id> threads;
  queue.Push(0);
  queue.Run(4, [&](int n) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      threads.push_back(std::this_thread::get_id());
    }
    if (n < 50) queue.Push(n + 1);
  });
  ASSERT_EQ(threads.size(), 51u);
  for (const std::thread::id& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(WorkQueue, AnEmptyQueueReturnsAtOnce) {
  WorkQueue<int> queue;
  int calls = 0;
  queue.Run(3, [&](int) { ++calls; });
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace zel
