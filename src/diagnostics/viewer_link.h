// The connection to the external debug viewer: its window (queries and, without a mailslot,
// the lines as WM_COPYDATA) and its mailslot "\\.\mailslot\zolven" (the lines).
#pragma once
#include <windows.h>

#include "foundation/scoped_handle.h"

namespace ovut::debug {

constexpr DWORD kQueryUtf8 = 6;     // non-zero reply: the viewer accepts UTF-8 text
constexpr DWORD kQueryConnect = 7;  // sent after each connection; the reply is kept
constexpr UINT kViewerTimeoutMs = 5000;

class clsViewerLink {
 public:
  // Attaches to the window, opens the mailslot and asks for the text encoding.
  void Attach(HWND window);
  // Asks query 7 and keeps the reply (after the announcement).
  void Confirm() { connectReply_ = Query(kQueryConnect); }
  // Closes the mailslot and forgets the window.
  void Detach();

  HWND Window() const { return window_; }
  bool Active() const { return window_ != nullptr || mailslot_.valid(); }
  bool WindowAlive() const { return window_ && IsWindow(window_); }
  UINT CodePage() const { return codePage_; }
  DWORD ConnectReply() const { return connectReply_; }

  // Converts the line to the output code page and sends it piece by piece.
  void Send(const wchar_t* line, int length);

 private:
  class Sender;
  DWORD Query(DWORD code);

  HWND window_ = nullptr;
  UniqueHandle mailslot_;
  UINT codePage_ = CP_ACP;
  DWORD connectReply_ = 0;
};

}  // namespace ovut::debug
