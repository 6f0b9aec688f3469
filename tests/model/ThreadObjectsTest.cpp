#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "model/ThreadObjects.h"

namespace quenby {
namespace {

struct TCounter : TThreadObject {
  using TThreadObject::TThreadObject;
  int Value = 0;
};

std::unique_ptr<TThreadObjectList> MakeList(int* created = nullptr) {
  return std::make_unique<TThreadObjectList>(
      [](TThreadObjectList* owner) { return new TCounter(owner); },
      [created](TThreadObjectList*, TThreadObject*) {
        if (created) ++*created;
      });
}

TEST(ThreadObjects, MainThreadGetsTheMainObjectWhereverTheListWasMade) {
  std::unique_ptr<TThreadObjectList> list;
  std::thread([&] { list = MakeList(); }).join();
  EXPECT_EQ(list->CurrentObject(), list->MainObject());
  EXPECT_EQ(list->MainObject()->ThreadID, MainThreadSerial());
}

TEST(ThreadObjects, EachThreadHasItsOwnObjectAndAnEndedThreadsIsNotHandedOn) {
  int created = 0;
  auto list = MakeList(&created);
  EXPECT_EQ(created, 1);
  TThreadObject* first = nullptr;
  TThreadObject* again = nullptr;
  std::thread([&] {
    first = list->CurrentObject();
    static_cast<TCounter*>(first)->Value = 7;
    again = list->CurrentObject();
  }).join();
  EXPECT_EQ(first, again);
  EXPECT_NE(first, list->MainObject());
  // glibc reuses the id of the ended thread for the next one; its object
  // must not come with it.
  TThreadObject* second = nullptr;
  std::thread([&] { second = list->CurrentObject(); }).join();
  EXPECT_NE(second, first);
  EXPECT_EQ(static_cast<TCounter*>(second)->Value, 0);
  EXPECT_EQ(created, 3);
  EXPECT_EQ(list->FindObject(first->ThreadID), first);
}

}  // namespace
}  // namespace quenby
