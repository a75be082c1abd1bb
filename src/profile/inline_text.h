// Text of an item or list record: short texts live in the record itself, longer ones in one
// heap buffer that is reused while it is large enough. The length is kept by the owner.
#pragma once
#include <windows.h>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

namespace ovut::profile {

template <uint32_t N>
class clsInlineText {
 public:
  clsInlineText() noexcept { inline_[0] = 0; }
  ~clsInlineText() { std::free(heap_); }
  clsInlineText(const clsInlineText&) = delete;
  clsInlineText& operator=(const clsInlineText&) = delete;

  const wchar_t* c_str() const noexcept { return heap_ ? heap_ : inline_; }
  bool OnHeap() const noexcept { return heap_ != nullptr; }

  // Replaces the text with `count` units (no terminator needed; may point into this text).
  // When no heap buffer can be had the text becomes empty and false is returned.
  bool Assign(const wchar_t* text, uint32_t count) noexcept {
    if (count < N) {
      std::wmemmove(inline_, text, count);
      inline_[count] = 0;
      if (heap_) {  // most texts never had one: no call into the runtime
        std::free(heap_);
        heap_ = nullptr;
        heapCapacity_ = 0;
      }
      return true;
    }
    if (heap_ && count < heapCapacity_) {
      std::wmemmove(heap_, text, count);
      heap_[count] = 0;
      return true;
    }
    if (count >= 0x7FFFFFFFu / sizeof(wchar_t)) {
      Clear();
      return false;
    }
    wchar_t* fresh = static_cast<wchar_t*>(std::malloc((count + 1) * sizeof(wchar_t)));
    if (!fresh) {
      Clear();
      return false;
    }
    std::wmemcpy(fresh, text, count);
    fresh[count] = 0;
    std::free(heap_);
    heap_ = fresh;
    heapCapacity_ = count + 1;
    return true;
  }

  void Clear() noexcept {
    if (heap_) {
      std::free(heap_);
      heap_ = nullptr;
      heapCapacity_ = 0;
    }
    inline_[0] = 0;
  }

 private:
  wchar_t* heap_ = nullptr;
  uint32_t heapCapacity_ = 0;  // units, terminator included
  wchar_t inline_[N];
};

}  // namespace ovut::profile
