// A small stand-in for the external debug viewer: a window of the viewer's class on a thread of
// its own that answers the queries and records WM_COPYDATA lines, optionally the mailslot, and
// the handle published in the global area.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct ViewerOptions {
  bool utf8 = false;       // reply to query 6
  DWORD connectReply = 7;  // reply to query 7
  bool mailslot = true;    // serve "\\.\mailslot\zolven"
  bool publish = true;     // store the window handle in "ZOLVENGlobalData"
};

class TestViewer {
 public:
  explicit TestViewer(const ViewerOptions& options = ViewerOptions());
  ~TestViewer();  // clears the published handle (when it is still ours) and closes everything
  TestViewer(const TestViewer&) = delete;
  TestViewer& operator=(const TestViewer&) = delete;

  HWND window() const { return window_; }
  void Publish();  // store this viewer's handle in the global area

  // Messages received so far: mailslot messages as they came (each ends in CR), WM_COPYDATA
  // lines without their terminating 0.
  std::vector<std::string> Mailslot();
  std::vector<std::string> CopyData();
  int Queries(DWORD code);
  void Clear();

  // Waits until some message (of either kind) contains `part`; true when one did.
  bool WaitFor(const std::string& part, DWORD timeoutMs = 5000);
  // The mailslot messages from the first one that contains `from` on, CR removed.
  std::vector<std::string> PiecesFrom(const std::string& from);

 private:
  static DWORD WINAPI WindowThread(void* self);
  static DWORD WINAPI MailslotThread(void* self);
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

  ViewerOptions options_;
  CRITICAL_SECTION lock_;
  HANDLE ready_ = nullptr;
  HANDLE windowThread_ = nullptr;
  HANDLE mailslotThread_ = nullptr;
  HANDLE mailslot_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  volatile LONG* published_ = nullptr;
  volatile LONG stop_ = 0;
  HWND window_ = nullptr;
  std::vector<std::string> mailslotMessages_;
  std::vector<std::string> copyData_;
  std::vector<DWORD> queries_;
};

// Sets the published viewer handle directly (0 = no viewer).
void PublishViewer(HWND window);

}  // namespace testsupport
