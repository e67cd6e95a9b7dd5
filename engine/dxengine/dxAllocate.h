#pragma once

#include <cstddef>
#include <memory>
#include <new>

// Arrays sized by a file or a caller's data: a failed allocation comes back
// as null for the caller to report, not as an exception. The elements are
// left uninitialised.
template <typename T>
std::unique_ptr<T[]> DXAllocate(std::size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}
