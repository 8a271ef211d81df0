#include "NaturalOrder.h"

#include <cwchar>
#include <cwctype>

namespace NaturalOrder {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Compares the digit runs at `*a` and `*b` by value and moves past them;
// leading zeros do not count, so "007" and "7" are the same number.
int CompareNumbers(const wchar_t** a, const wchar_t** b) {
  while (**a == L'0') ++*a;
  while (**b == L'0') ++*b;
  const wchar_t* startA = *a;
  const wchar_t* startB = *b;
  while (IsDigit(**a)) ++*a;
  while (IsDigit(**b)) ++*b;
  size_t lengthA = static_cast<size_t>(*a - startA);
  size_t lengthB = static_cast<size_t>(*b - startB);
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  return wcsncmp(startA, startB, lengthA);
}

}  // namespace

int Compare(const wchar_t* first, const wchar_t* second) {
  const wchar_t* a = first;
  const wchar_t* b = second;
  while (*a && *b) {
    if (IsDigit(*a) && IsDigit(*b)) {
      int numbers = CompareNumbers(&a, &b);
      if (numbers != 0) return numbers;
      continue;
    }
    wint_t lowerA = towlower(*a);
    wint_t lowerB = towlower(*b);
    if (lowerA != lowerB) return lowerA < lowerB ? -1 : 1;
    ++a;
    ++b;
  }
  if (*a || *b) return *a ? 1 : -1;
  // Names that differ only in case or leading zeros still have one order.
  return wcscmp(first, second);
}

}  // namespace NaturalOrder
