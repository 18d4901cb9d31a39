#include "app/private_heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace gc::app {
namespace {

TEST(PrivateHeap, ZeroFilledBlocksBeyondTheInitialSize) {
  PrivateHeap heap;
  EXPECT_EQ(heap.Allocate(16), nullptr);  // no heap yet
  ASSERT_TRUE(heap.Create());
  ASSERT_TRUE(heap.Create());  // keeps the first heap
  std::vector<unsigned char*> blocks;
  for (int i = 0; i < 6; ++i) {  // 3 MiB in all: the heap has to grow
    auto* b = static_cast<unsigned char*>(heap.Allocate(512 * 1024));
    ASSERT_NE(b, nullptr) << i;
    for (size_t k = 0; k < 512 * 1024; k += 4096) ASSERT_EQ(b[k], 0);
    std::memset(b, 0xAB, 512 * 1024);
    blocks.push_back(b);
  }
  heap.Release(blocks[2]);
  auto* again = static_cast<unsigned char*>(heap.Allocate(512 * 1024));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again[0], 0);
  EXPECT_EQ(again[512 * 1024 - 1], 0);
  heap.Destroy();
  EXPECT_FALSE(heap.exists());
  EXPECT_EQ(heap.Allocate(1), nullptr);
}

TEST(PrivateHeap, CopyText) {
  PrivateHeap heap;
  ASSERT_TRUE(heap.Create());
  char* copy = heap.CopyText("NET,Office3(192.168.1.20)");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "NET,Office3(192.168.1.20)");
  char* empty = heap.CopyText("");
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(heap.CopyText(nullptr), nullptr);
}

}  // namespace
}  // namespace gc::app
