#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "KString.h"

namespace {

LONG ReferenceCount(const KString& text) {
  return text.GetBody() ? text.GetBody()->referenceCount : 0;
}

TEST(KStringTest, EmptyStringsHaveNoBodyExceptFromNarrowEmptyText) {
  for (const KString& text : {KString(), KString(L""), KString(static_cast<const wchar_t*>(nullptr)),
                              KString(static_cast<const char*>(nullptr))}) {
    EXPECT_EQ(text.GetBody(), nullptr);
    EXPECT_EQ(text.GetLength(), 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(static_cast<const wchar_t*>(text), nullptr);
    EXPECT_EQ(static_cast<const char*>(text), nullptr);
  }
  KString narrowEmpty("");
  ASSERT_NE(narrowEmpty.GetBody(), nullptr);
  EXPECT_TRUE(narrowEmpty.IsEmpty());
  EXPECT_EQ(narrowEmpty.GetLength(), 0);
  ASSERT_NE(static_cast<const wchar_t*>(narrowEmpty), nullptr);
  EXPECT_EQ(static_cast<const wchar_t*>(narrowEmpty)[0], L'\0');
}

TEST(KStringTest, NarrowAndWideTextConvertThroughTheAnsiCodePage) {
  KString narrow("song.mp3");
  EXPECT_STREQ(static_cast<const wchar_t*>(narrow), L"song.mp3");
  EXPECT_EQ(narrow.GetLength(), 8);
  KString wide(L"caf\u00e9");
  EXPECT_TRUE(wide.FirstCharIs('c'));
  if (GetACP() == 1252) {
    EXPECT_STREQ(static_cast<const char*>(wide), "caf\xe9");
    EXPECT_EQ(wide.NarrowCharAt(3), '\xe9');
    EXPECT_TRUE(wide.LastCharIs('\xe9'));
    EXPECT_TRUE(KString(static_cast<const char*>(wide)).SameAs(wide));
  }
  EXPECT_FALSE(KString().FirstCharIs('c'));
}

TEST(KStringTest, SameAsIsOrdinalAndNeverTrueForEmptyStrings) {
  EXPECT_FALSE(KString().SameAs(KString()));
  EXPECT_FALSE(KString("").SameAs(KString("")));
  EXPECT_TRUE(KString(L"abc").SameAs(KString("abc")));
  EXPECT_FALSE(KString(L"abc").SameAs(KString(L"ABC")));
  EXPECT_FALSE(KString(L"abc").SameAs(KString(L"abcd")));
}

TEST(KStringTest, AppendSharesTheBodyWhenNothingIsAdded) {
  KString left(L"song");
  KString same = left.Append(KString());
  EXPECT_EQ(same.GetBody(), left.GetBody());
  EXPECT_EQ(ReferenceCount(left), 2);
  EXPECT_EQ(left.Append(KString("")).GetBody(), left.GetBody());

  KString joined = left + L".mp3";
  EXPECT_STREQ(static_cast<const wchar_t*>(joined), L"song.mp3");
  EXPECT_EQ(joined.GetLength(), 8);
  EXPECT_STREQ(static_cast<const wchar_t*>(KString().Append(L"x")), L"x");
  EXPECT_STREQ(static_cast<const wchar_t*>(KString("").Append(L"x")), L"x");
}

TEST(KStringTest, ExtractTakesInclusiveRangesOfTwoOrMoreCharacters) {
  KString text(L"uvwxyz");
  EXPECT_STREQ(static_cast<const wchar_t*>(text.Extract(1, 3)), L"vwx");
  EXPECT_STREQ(static_cast<const wchar_t*>(text.Extract(0, text.GetLength() - 1)), L"uvwxyz");
  EXPECT_TRUE(text.Extract(2, 2).IsEmpty());
  EXPECT_TRUE(text.Extract(3, 2).IsEmpty());
  EXPECT_TRUE(text.Extract(-1, 2).IsEmpty());
  EXPECT_TRUE(text.Extract(4, 6).IsEmpty());
  EXPECT_TRUE(KString(L"a").Extract(0, 0).IsEmpty());
  EXPECT_TRUE(KString().Extract(0, 1).IsEmpty());
}

TEST(KStringTest, OutOfRangeIndexesGiveSentinels) {
  KString text(L"abc");
  EXPECT_EQ(text.CharAt(0), L'a');
  EXPECT_EQ(text.CharAt(-1), 0xFFFF);
  EXPECT_EQ(text.CharAt(3), 0xFFFF);
  EXPECT_EQ(KString().CharAt(0), 0xFFFF);
  EXPECT_EQ(text.NarrowCharAt(2), 'c');
  EXPECT_EQ(text.NarrowCharAt(-1), static_cast<char>(-1));
  EXPECT_EQ(text.NarrowCharAt(3), static_cast<char>(-1));
  EXPECT_EQ(KString().NarrowCharAt(0), static_cast<char>(-1));
}

TEST(KStringTest, ToIntAndIsQuoted) {
  EXPECT_EQ(KString(L"128").ToInt(), 128);
  EXPECT_EQ(KString(L" 42x").ToInt(), 42);
  EXPECT_EQ(KString(L"-7").ToInt(), -7);
  EXPECT_EQ(KString(L"x42").ToInt(), 0);
  EXPECT_EQ(KString().ToInt(), 0);
  EXPECT_TRUE(KString(L"\"\"").IsQuoted());
  EXPECT_TRUE(KString(L"\"a b\"").IsQuoted());
  EXPECT_FALSE(KString(L"\"").IsQuoted());
  EXPECT_FALSE(KString(L"\"a").IsQuoted());
}

TEST(KStringTest, AssignmentsToItselfKeepTextAndCount) {
  KString text(L"same");
  const KStringBody* body = text.GetBody();
  KString& alias = text;
  text = alias;
  EXPECT_EQ(text.GetBody(), body);
  EXPECT_EQ(ReferenceCount(text), 1);
  text = static_cast<const wchar_t*>(text);  // its own wide text
  EXPECT_STREQ(static_cast<const wchar_t*>(text), L"same");
  EXPECT_EQ(ReferenceCount(text), 1);
  text = static_cast<const wchar_t*>(nullptr);
  EXPECT_TRUE(text.IsEmpty());
}

TEST(KStringTest, CopiesOnTwoThreadsKeepTheCountExact) {
  KString shared(L"shared between threads");
  constexpr int kCopies = 100000;
  std::atomic<bool> go(false);
  auto copyAndDrop = [&] {
    while (!go) {
    }
    for (int i = 0; i < kCopies; ++i) {
      KString copy(shared);
      KString another;
      another = copy;
    }
  };
  std::thread first(copyAndDrop), second(copyAndDrop);
  go = true;
  first.join();
  second.join();
  EXPECT_EQ(ReferenceCount(shared), 1);
  EXPECT_STREQ(static_cast<const wchar_t*>(shared), L"shared between threads");
}

TEST(KStringTest, TwoThreadsAskingForTheNarrowFormGetOneBuffer) {
  for (int round = 0; round < 100; ++round) {
    KString shared(L"narrow me once");
    std::atomic<int> ready(0);
    const char* seen[2] = {nullptr, nullptr};
    auto ask = [&](int who) {
      KString copy(shared);
      ++ready;
      while (ready < 2) {
      }
      seen[who] = copy;
    };
    std::thread first(ask, 0), second(ask, 1);
    first.join();
    second.join();
    ASSERT_NE(seen[0], nullptr);
    ASSERT_EQ(seen[0], seen[1]) << "round " << round;
    EXPECT_STREQ(seen[0], "narrow me once");
  }
}

}  // namespace
