// GDI handle lists: one list of live handles per GDI object type, each handle with the stack of
// its creation, so that handles never deleted are reported as lost; and per type a stack of
// snapshots, so that a module can see which handles appeared or went between two points.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "foundation/critical_section.h"
#include "foundation/string.h"

namespace ovut::handles {

constexpr int kTypeCount = 15;  // the values GetObjectType gives, 0 to 14
constexpr int kStackFrames = 20;

struct scHandleRecord {
  LONG count = 0;
  USHORT frames = 0;
  void* stack[kStackFrames] = {};
};

class clsUTHandleList {
 public:
  explicit clsUTHandleList(const wchar_t* name) : name(name) {}
  clsUTHandleList(const clsUTHandleList&) = delete;
  clsUTHandleList& operator=(const clsUTHandleList&) = delete;

  CriticalSection lock;
  String name;
  std::map<UINT_PTR, scHandleRecord> handles;
  bool reported = false;
};

// Operations of UtilHandleListMgr.
enum : int {
  kReport = 0, kAdd = 1, kRemove = 2, kCount = 3, kContains = 4, kPushSnapshot = 10, kCompareSnapshots = 11
};

// The export's work: see include/ovut19/gdihandles.h. Types outside 0-14 are refused (0 and a
// debug line).
int HandleListMgr(int type, int operation, UINT_PTR handle) noexcept;

// At unload, before the library starts to shut down (so that the lines still reach the
// channel): reports every list not reported yet. `release` frees the lists and snapshots too.
void ReportLostHandles(bool release) noexcept;

}  // namespace ovut::handles
