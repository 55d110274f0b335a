#pragma once
// Checked containers: the standard vector and list with an element access
// that never lets a bad index reach memory. A bad index is logged, the main
// window is asked to close, and the caller still gets an element so it can
// run on until the ordinary shutdown.
#include <iterator>
#include <list>
#include <type_traits>
#include <vector>

namespace brindle::detail {
// Logs the "err V[...]" / "err L[...]" line and requests the close.
void ReportBadIndex(char kind, int index, int count, int elementSize);

// One default element per element type, built on first use. Shared by every
// container of that type.
template <class T>
T& DefaultElement() {
  static T element{};
  return element;
}
}  // namespace brindle::detail

template <class T, class Alloc = std::allocator<T>>
class cVector : public std::vector<T, Alloc> {
 public:
  using std::vector<T, Alloc>::vector;
  cVector() = default;
  cVector(const std::vector<T, Alloc>& v) : std::vector<T, Alloc>(v) {}
  cVector(std::vector<T, Alloc>&& v) : std::vector<T, Alloc>(std::move(v)) {}

  T& At(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) return (*this)[static_cast<size_t>(index)];
    return Fallback(index);
  }
  const T& At(int index) const { return const_cast<cVector*>(this)->At(index); }

  // Exists for numbers and flags; an empty vector stays empty.
  void Fill(const T& value) {
    for (int i = 0; static_cast<size_t>(i) < this->size(); ++i) At(i) = value;
  }

 private:
  // An index out of range reads element 0's values through a per-thread
  // scratch copy, so a stray write never corrupts live data; an empty vector
  // hands back a default element.
  T& Fallback(int index) {
    brindle::detail::ReportBadIndex('V', index, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    if constexpr (std::is_copy_assignable_v<T> && std::is_default_constructible_v<T>) {
      static thread_local T scratch{};
      scratch = this->empty() ? T{} : this->front();
      return scratch;
    } else {
      return brindle::detail::DefaultElement<T>();
    }
  }
};

template <class T, class Alloc = std::allocator<T>>
class cList : public std::list<T, Alloc> {
 public:
  using std::list<T, Alloc>::list;
  cList() = default;

  T& At(int index) {
    if (index >= 0 && static_cast<size_t>(index) < this->size()) {
      auto it = this->begin();
      std::advance(it, index);
      return *it;
    }
    brindle::detail::ReportBadIndex('L', index, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    return brindle::detail::DefaultElement<T>();
  }
  const T& At(int index) const { return const_cast<cList*>(this)->At(index); }
};
