// The global operator new and delete of an executable that links the
// manager's installation. Runs twice: as is, and with QUENBY_SYSTEM_ALLOCATOR=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "memory/FastMemoryInstall.h"

namespace quenby {
namespace {

bool SystemAllocatorAsked() {
  const char* off = std::getenv("QUENBY_SYSTEM_ALLOCATOR");
  return off && std::strcmp(off, "1") == 0;
}

bool Served(const void* p) {
  TFastMemory* manager = InstalledFastMemory();
  return manager && manager->PageHeap().InPageHeap(p);
}

TEST(FastMemoryInstall, TheVariableTurnsTheManagerOff) {
  EXPECT_EQ(InstalledFastMemory() == nullptr, SystemAllocatorAsked());
}

TEST(FastMemoryInstall, EveryPlainFormIsServedByTheManager) {
  const bool on = !SystemAllocatorAsked();
  auto one = std::make_unique<int>(1);
  auto array = std::make_unique<char[]>(100);
  auto big = std::make_unique<char[]>(100000);
  int* nothrow = new (std::nothrow) int(3);
  void* empty = ::operator new(0);
  void* empty2 = ::operator new(0);
  EXPECT_NE(empty, empty2);
  for (const void* p : std::vector<const void*>{one.get(), array.get(), big.get(), nothrow, empty})
    EXPECT_EQ(Served(p), on);
  ::operator delete (empty, std::size_t{0});
  ::operator delete(empty2);
  delete nothrow;
}

TEST(FastMemoryInstall, OverAlignedAndMallocBlocksStayWithTheSystem) {
  struct alignas(64) TLine {
    char Bytes[64];
  };
  auto line = std::make_unique<TLine>();
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(line.get()) % 64, 0u);
  EXPECT_FALSE(Served(line.get()));
  void* c = std::malloc(24);
  EXPECT_FALSE(Served(c));
  std::free(c);
}

TEST(FastMemoryInstall, ImpossibleRequestsFailAsTheStandardSays) {
  const std::size_t huge = std::size_t{1} << 62;
  EXPECT_EQ(::operator new(huge, std::nothrow), nullptr);
  EXPECT_THROW(static_cast<void>(::operator new(huge)), std::bad_alloc);
}

TEST(FastMemoryInstall, BlocksMoveBetweenThreads) {
  std::vector<std::string*> strings;
  std::thread producer([&] {
    for (int i = 0; i < 10000; ++i)
      strings.push_back(new std::string(static_cast<std::size_t>(i % 700), 'x'));
  });
  producer.join();
  std::thread consumer([&] {
    for (std::size_t i = 0; i < strings.size(); ++i) {
      EXPECT_EQ(strings[i]->size(), i % 700);
      delete strings[i];
    }
  });
  consumer.join();
}

// A thread's stock of free blocks goes back to the heaps when the thread
// ends: without that, the blocks it held would keep their pages in use.
TEST(FastMemoryInstall, AnEndingThreadGivesItsStockBack) {
  TFastMemory* manager = InstalledFastMemory();
  if (!manager) GTEST_SKIP() << "the system allocator was asked for";
  const std::size_t before = manager->PageHeap().UsedPageCount();
  std::thread worker([] {
    std::vector<void*> blocks;
    for (int i = 0; i < 30000; ++i)
      blocks.push_back(::operator new(static_cast<std::size_t>(8 + i % 500)));
    for (void* p : blocks) ::operator delete(p);
  });
  worker.join();
  EXPECT_LE(manager->PageHeap().UsedPageCount(), before);
}

// Last in this file: the manager stays removed for the rest of the process,
// as at exit, when frees still arrive after it has stopped serving.
TEST(FastMemoryInstall, AfterRemovalOldBlocksStillFindTheirHeap) {
  TFastMemory* manager = InstalledFastMemory();
  if (!manager) GTEST_SKIP() << "the system allocator was asked for";
  auto* early = new std::string(200, 'e');
  ASSERT_TRUE(Served(early));
  manager->RemoveFastMemory();
  auto* late = new std::string(200, 'l');
  EXPECT_FALSE(Served(late));
  EXPECT_EQ(*early, std::string(200, 'e'));
  delete early;
  delete late;
}

}  // namespace
}  // namespace quenby
