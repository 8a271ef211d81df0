#include <gtest/gtest.h>

#include <thread>

#include "KPtrVector.h"

namespace {

// Counts how many of its kind are alive, so deletions can be seen.
struct Tracked {
  static int alive;
  Tracked() { ++alive; }
  virtual ~Tracked() { --alive; }
};
int Tracked::alive = 0;

constexpr int kStep = 1024;

void Fill(KPtrVector<int>& list, int count) {
  static int value;
  for (int i = 0; i < count; ++i) ASSERT_TRUE(list.PushItem(&value));
}

TEST(KPtrVectorTest, GrowsOneStepAtATime) {
  KPtrVector<int> list(kStep, kStep, false);
  Fill(list, kStep);
  EXPECT_EQ(list.GetCapacity(), kStep);
  Fill(list, 1);
  EXPECT_EQ(list.GetSize(), kStep + 1);
  EXPECT_EQ(list.GetCapacity(), 2 * kStep);
}

TEST(KPtrVectorTest, RemovalRoundsTheCapacityToTheStepAboveTheNewCount) {
  struct Case {
    int before, capacityAfter;
  } cases[] = {{kStep + 1, 2 * kStep}, {kStep, kStep}, {1, kStep}};
  for (const Case& c : cases) {
    KPtrVector<int> list(kStep, kStep, false);
    Fill(list, c.before);
    ASSERT_TRUE(list.EraseAt(0));
    EXPECT_EQ(list.GetSize(), c.before - 1);
    EXPECT_EQ(list.GetCapacity(), c.capacityAfter) << c.before << " before";
  }
  KPtrVector<int> small(4, 2, false);  // a capacity above the rounded one shrinks
  Fill(small, 3);
  small.EraseAt(2);
  EXPECT_EQ(small.GetCapacity(), 4);
  small.EraseAt(0);
  EXPECT_EQ(small.GetCapacity(), 2);
}

TEST(KPtrVectorTest, KeepsOrderAndRejectsIndexesOutsideTheList) {
  int a = 1, b = 2, c = 3;
  KPtrVector<int> list(2, 2, false);
  list.PushItem(&a);
  list.PushItem(nullptr);
  list.PushItem(&b);
  list.PushItem(&c);
  EXPECT_FALSE(list.EraseAt(-1));
  EXPECT_FALSE(list.EraseAt(4));
  EXPECT_EQ(list.GetSize(), 4);
  EXPECT_EQ(list.ItemAt(4), nullptr);
  EXPECT_EQ(list.ItemAt(-1), nullptr);
  ASSERT_TRUE(list.EraseAt(1));
  EXPECT_EQ(list.ItemAt(0), &a);
  EXPECT_EQ(list.ItemAt(1), &b);
  EXPECT_EQ(list.ItemAt(2), &c);
}

TEST(KPtrVectorTest, DestroyItemsDeletesOnlyWhenAsked) {
  {
    KPtrVector<Tracked> list(kStep, kStep, false);
    Tracked* erased = new Tracked;
    list.PushItem(erased);
    list.PushItem(nullptr);
    list.PushItem(new Tracked);
    list.EraseAt(0);  // removing does not delete
    EXPECT_EQ(Tracked::alive, 2);
    list.DestroyItems();
    EXPECT_EQ(Tracked::alive, 1);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(list.GetCapacity(), kStep);
    delete erased;
  }
  Tracked* survivor = new Tracked;
  {
    KPtrVector<Tracked> list(kStep, kStep, false);
    list.PushItem(survivor);
  }
  EXPECT_EQ(Tracked::alive, 1);  // the list is gone, its object is not
  delete survivor;
}

TEST(KPtrVectorTest, LockingListTakesPushesFromTwoThreads) {
  KPtrVector<int> list(1, 1, true);
  auto push = [&] {
    for (int i = 0; i < 20000; ++i) list.PushItem(nullptr);
  };
  std::thread first(push), second(push);
  first.join();
  second.join();
  EXPECT_EQ(list.GetSize(), 40000);
  EXPECT_EQ(list.GetCapacity(), 40000);
}

}  // namespace
