// Owners for paired system calls that are not handles: the closing call is made by the owner,
// so neither an early return nor a throw can skip it.
#pragma once
#include <windows.h>

namespace ovut {

// OpenClipboard ... CloseClipboard. Check IsOpen: the clipboard may be held by another window.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND window) noexcept : open_(OpenClipboard(window) != FALSE) {}
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool IsOpen() const noexcept { return open_; }

 private:
  bool open_;
};

// GlobalLock ... GlobalUnlock of a memory block; Data is null when the block could not be locked.
class GlobalLockView {
 public:
  explicit GlobalLockView(HGLOBAL memory) noexcept : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockView() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockView(const GlobalLockView&) = delete;
  GlobalLockView& operator=(const GlobalLockView&) = delete;
  void* Data() const noexcept { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace ovut
