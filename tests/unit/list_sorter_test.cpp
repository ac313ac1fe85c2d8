// The sort's comparators on their keys: the order the user sees in the list
// comes from these answers.
#include "process/list_sorter.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

LPARAM Address(const void* key) {
  return reinterpret_cast<LPARAM>(key);
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

int Numbers(PFNLVCOMPARE compare, int a, int b) {
  const SortNumberKey first(a, 1);
  const SortNumberKey second(b, 2);
  return compare(Address(&first), Address(&second), 0);
}

int Texts(PFNLVCOMPARE compare, const char* a, const char* b) {
  const SortTextKey first(a, 1);
  const SortTextKey second(b, 2);
  return Sign(compare(Address(&first), Address(&second), 0));
}

TEST(SortComparators, NumbersAscendingPutTheSmallerSignedValueFirstAnsweringMinusOneZeroOrOne) {
  EXPECT_EQ(Numbers(CompareNumbersAscending, 8, 132), -1);
  EXPECT_EQ(Numbers(CompareNumbersAscending, 132, 8), 1);
  EXPECT_EQ(Numbers(CompareNumbersAscending, 5, 5), 0);
  // An ID at or above 2^31 reads back negative and sorts below 0.
  EXPECT_EQ(Numbers(CompareNumbersAscending, -2147483632, 0), -1);
  EXPECT_EQ(Numbers(CompareNumbersAscending, INT_MIN, INT_MAX), -1);
  EXPECT_EQ(Numbers(CompareNumbersAscending, INT_MAX, INT_MIN), 1);
}

TEST(SortComparators, NumbersDescendingPutTheLargerSignedValueFirst) {
  EXPECT_EQ(Numbers(CompareNumbersDescending, 8, 132), 1);
  EXPECT_EQ(Numbers(CompareNumbersDescending, 132, 8), -1);
  EXPECT_EQ(Numbers(CompareNumbersDescending, 5, 5), 0);
  EXPECT_EQ(Numbers(CompareNumbersDescending, -2147483632, 0), 1);
  EXPECT_EQ(Numbers(CompareNumbersDescending, INT_MAX, INT_MIN), -1);
}

TEST(SortComparators, NamesCompareWithoutCaseAndUnderscoreSortsBeforeEveryLetter) {
  EXPECT_EQ(Texts(CompareTextAscending, "explorer.exe", "EXPLORER.EXE"), 0);
  EXPECT_EQ(Texts(CompareTextAscending, "_setup.exe", "Bar.exe"), -1);
  EXPECT_EQ(Texts(CompareTextAscending, "_setup.exe", "bar.exe"), -1);
  EXPECT_EQ(Texts(CompareTextAscending, "apple.exe", "Bar.exe"), -1);
  EXPECT_EQ(Texts(CompareTextAscending, "Zed.exe", "apple.exe"), 1);
  // A text that begins the other sorts first; the empty text before all.
  EXPECT_EQ(Texts(CompareTextAscending, "cmd", "cmd.exe"), -1);
  EXPECT_EQ(Texts(CompareTextAscending, "", "a"), -1);
  // Bytes above 127 compare by their unsigned code, after the letters.
  EXPECT_EQ(Texts(CompareTextAscending, "\xE9t\xE9.exe", "zed.exe"), 1);
  // Only A-Z fold: '[' (0x5B) sits between the cases and sorts before 'a'.
  EXPECT_EQ(Texts(CompareTextAscending, "[x]", "A"), -1);
}

TEST(SortComparators, NamesDescendingAreTheAscendingOrderReversed) {
  EXPECT_EQ(Texts(CompareTextDescending, "explorer.exe", "EXPLORER.EXE"), 0);
  EXPECT_EQ(Texts(CompareTextDescending, "_setup.exe", "Bar.exe"), 1);
  EXPECT_EQ(Texts(CompareTextDescending, "cmd", "cmd.exe"), 1);
  EXPECT_EQ(Texts(CompareTextDescending, "Zed.exe", "apple.exe"), -1);
}

}  // namespace
