#pragma once

#include <cstddef>
#include <new>
#include <vector>

// A vector whose storage starts on a cache line, so that records of 8 floats
// kept in it never straddle two lines: a search that reads a record's first
// half then finds the second half cached too.
template <typename T>
struct LineAlignedAllocator {
  using value_type = T;
  static constexpr std::align_val_t kLine{64};

  LineAlignedAllocator() = default;
  template <typename U>
  LineAlignedAllocator(const LineAlignedAllocator<U>&) {}

  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kLine)); }
  void deallocate(T* p, std::size_t) { ::operator delete(p, kLine); }

  template <typename U>
  bool operator==(const LineAlignedAllocator<U>&) const {
    return true;
  }
  template <typename U>
  bool operator!=(const LineAlignedAllocator<U>&) const {
    return false;
  }
};

template <typename T>
using LineAlignedVector = std::vector<T, LineAlignedAllocator<T>>;
