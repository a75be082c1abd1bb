// The two named shared memories of the debug channel: "ZOLVENGlobalData" (the viewer's window
// handle, published by the viewer) and the per-process area with the indentation level and the
// line sequence counter that every module of the process shares.
#pragma once
#include <windows.h>

#include "foundation/scoped_handle.h"
#include "foundation/string.h"

namespace ovut::debug {

// "ZelZOLVENAppLocalData_" and the process id as the C runtime prints a pointer-sized value
// with "%#p" ("0X" and upper-case digits, two per byte), so that modules built with other
// compilers in the same process meet the same area.
String ProcessAreaName(DWORD processId);

struct ProcessArea {
  volatile LONG level;     // signed indentation level
  volatile LONG sequence;  // lines written by all modules of the process
};
static_assert(sizeof(ProcessArea) == 8, "shared layout");

class clsChannelAreas {
 public:
  // Opens or creates both areas (open to everyone). Failures are reported to the system
  // debugger; the missing area is then replaced by a private one.
  void Open();
  void Close();

  // True when Open created the global area itself (no viewer had published it yet).
  bool CreatedGlobal() const { return createdGlobal_; }
  // The window handle stored in the global area (4 bytes, as 32-bit handles travel between
  // 32- and 64-bit processes).
  HWND Viewer() const {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(*viewer_));
  }
  void SetViewer(HWND window) {
    InterlockedExchange(viewer_, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));
  }
  ProcessArea& Process() { return *process_; }

 private:
  UniqueHandle globalMapping_;
  UniqueMapView globalView_;
  UniqueHandle processMapping_;
  UniqueMapView processView_;
  bool createdGlobal_ = false;
  LONG privateViewer_ = 0;
  ProcessArea privateProcess_ = {0, 0};
  volatile LONG* viewer_ = &privateViewer_;
  ProcessArea* process_ = &privateProcess_;
};

}  // namespace ovut::debug
