#include "diagnostics/message_box_thread.h"

clsMessageBoxThread::clsMessageBoxThread(const String& text, const String& caption, UINT style,
                                         int defaultResult) noexcept
    : clsThreadBase("GPFInfo::clsMessageBox"), text(text), caption(caption), style(style), result(defaultResult) {}

clsMessageBoxThread::~clsMessageBoxThread() { ThreadEnd(false, INFINITE); }

DWORD clsMessageBoxThread::ThreadBody() {
  result = MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
  return 0;
}

int clsMessageBoxThread::Show() noexcept {
  if (ThreadStart()) {
    ThreadEnd(false, INFINITE);
  } else {
    result = MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
  }
  return result;
}
