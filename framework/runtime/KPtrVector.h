#pragma once

#include <windows.h>

#include <cstdlib>

// A growable array of object pointers in insertion order, with an optional
// lock. It grows by a fixed step, never by doubling, and a removal always
// moves the rest into a fresh array rounded to the step. The list deletes
// the objects only when asked (DestroyItems). When memory runs out an
// operation fails (false) and leaves the list as it was.
template <typename T>
class KPtrVector {
 public:
  KPtrVector(int capacity, int growthStep, bool locking)
      : count_(0),
        capacity_(capacity),
        growthStep_(growthStep < 1 ? 1 : growthStep),
        items_(static_cast<T**>(malloc(sizeof(T*) * capacity))),
        locking_(locking) {
    if (!items_) capacity_ = 0;
    if (locking_) InitializeCriticalSection(&lock_);
  }

  KPtrVector(const KPtrVector&) = delete;
  KPtrVector& operator=(const KPtrVector&) = delete;

  virtual ~KPtrVector() {
    free(items_);
    if (locking_) DeleteCriticalSection(&lock_);
  }

  virtual bool PushItem(T* pointer) {
    Lock();
    bool pushed = true;
    if (count_ + 1 > capacity_) pushed = Grow();
    if (pushed) items_[count_++] = pointer;
    Unlock();
    return pushed;
  }

  virtual bool EraseAt(int index) {
    Lock();
    bool erased = index >= 0 && index < count_ && MoveAllBut(index);
    Unlock();
    return erased;
  }

  virtual T* ItemAt(int index) {
    Lock();
    T* item = index >= 0 && index < count_ ? items_[index] : nullptr;
    Unlock();
    return item;
  }

  virtual int GetSize() const { return count_; }

  virtual int GetCapacity() const { return capacity_; }

  // Deletes every object pointed to and starts again, empty, with room for
  // one growth step.
  virtual void DestroyItems() {
    Lock();
    for (int i = 0; i < count_; ++i) delete items_[i];
    free(items_);
    items_ = static_cast<T**>(malloc(sizeof(T*) * growthStep_));
    capacity_ = items_ ? growthStep_ : 0;
    count_ = 0;
    Unlock();
  }

 private:
  bool Grow() {
    int capacity = capacity_ + growthStep_;
    T** grown = static_cast<T**>(realloc(items_, sizeof(T*) * capacity));
    if (!grown) return false;
    items_ = grown;
    capacity_ = capacity;
    return true;
  }

  // The smallest multiple of the step above the new count.
  bool MoveAllBut(int index) {
    int capacity = growthStep_ * ((count_ - 1) / growthStep_ + 1);
    T** fresh = static_cast<T**>(malloc(sizeof(T*) * capacity));
    if (!fresh) return false;
    for (int from = 0, to = 0; from < count_; ++from) {
      if (from != index) fresh[to++] = items_[from];
    }
    free(items_);
    items_ = fresh;
    capacity_ = capacity;
    --count_;
    return true;
  }

  void Lock() {
    if (locking_) EnterCriticalSection(&lock_);
  }
  void Unlock() {
    if (locking_) LeaveCriticalSection(&lock_);
  }

  int count_;
  int capacity_;
  int growthStep_;
  T** items_;
  CRITICAL_SECTION lock_;
  bool locking_;
};
