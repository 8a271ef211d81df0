#pragma once

// Names compared as people read them: case does not matter, and a run of
// digits counts as its number, so "2 Song" comes before "10 Song".
namespace NaturalOrder {

// Negative, zero or positive, as `first` sorts before, with or after `second`.
int Compare(const wchar_t* first, const wchar_t* second);

inline bool Less(const wchar_t* first, const wchar_t* second) {
  return Compare(first, second) < 0;
}

}  // namespace NaturalOrder
