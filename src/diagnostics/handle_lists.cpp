#include "diagnostics/handle_lists.h"

#include <cwchar>
#include <memory>

#include "diagnostics/debug_output.h"
#include "diagnostics/readable_memory.h"
#include "diagnostics/symbols.h"
#include "environment/process_identity.h"

namespace ovut::handles {
namespace {

constexpr const wchar_t* kTypeNames[kTypeCount] = {L"",   L"PEN", L"BRUSH", L"DC",    L"",   L"PALETTE", L"FONT", L"BITMAP",
                                                   L"RGN", L"MF",  L"MEMDC", L"",      L"",   L"EMF",     L"COLORSPACE"};

struct scLists {
  std::unique_ptr<clsUTHandleList> live[kTypeCount];
  // Snapshots per type, newest last; guarded by the live list's lock.
  std::vector<std::unique_ptr<clsUTHandleList>> snapshots[kTypeCount];
};

CriticalSection g_managerLock;  // constructed at load
scLists* volatile g_lists = nullptr;

scLists* Lists(bool create) {
  if (g_lists || !create) return g_lists;
  AutoLock hold(g_managerLock);
  if (!g_lists) {
    auto lists = std::make_unique<scLists>();
    for (int i = 0; i < kTypeCount; ++i) lists->live[i] = std::make_unique<clsUTHandleList>(kTypeNames[i]);
    g_lists = lists.release();
  }
  return g_lists;
}

const wchar_t* LibraryTag() { return env::Identity().library.baseName.c_str(); }

bool Readable(const void* address, void* out, size_t bytes) { return debug::CopyIfReadable(address, out, bytes); }

// The call instruction that a return address follows, as far as its bytes tell.
void CallingInstruction(const BYTE* returnAddress, wchar_t* text, int size) {
  BYTE b[7] = {};
  if (!Readable(returnAddress - 7, b, 7)) {
    _snwprintf(text, size - 1, L"(code not readable)");
  } else if (b[2] == 0xE8) {
    LONG rel;
    memcpy(&rel, b + 3, 4);
    _snwprintf(text, size - 1, L"call 0x%p", static_cast<const void*>(returnAddress + rel));
  } else if (b[1] == 0xFF && b[2] == 0x15) {
    LONG disp;
    memcpy(&disp, b + 3, 4);
#ifdef _WIN64
    _snwprintf(text, size - 1, L"call qword ptr [0x%p]", static_cast<const void*>(returnAddress + disp));
#else
    _snwprintf(text, size - 1, L"call dword ptr [0x%08lx]", static_cast<unsigned long>(disp));
#endif
  } else if (b[5] == 0xFF && (b[6] & 0xF8) == 0xD0) {
    _snwprintf(text, size - 1, L"call register %u", static_cast<unsigned>(b[6] & 7));
  } else if (b[4] == 0xFF && (b[5] & 0xF8) == 0x50) {
    _snwprintf(text, size - 1, L"call [register %u + 0x%02x]", static_cast<unsigned>(b[5] & 7), b[6]);
  } else {
    _snwprintf(text, size - 1, L"(calling instruction not recognised: %02x %02x %02x %02x %02x %02x %02x)", b[0], b[1],
               b[2], b[3], b[4], b[5], b[6]);
  }
  text[size - 1] = 0;
}

void WriteCreationStack(const scHandleRecord& record) {
  if (!DeveloperDiagnostics()) return;
  debug::RefreshSymbols();
  for (USHORT i = 0; i < record.frames; ++i) {
    const UINT_PTR address = reinterpret_cast<UINT_PTR>(record.stack[i]);
    debug::scSymbol symbol;
    const bool inModule = debug::ResolveAddress(address, &symbol, debug::kSourceLine);
    if (inModule && symbol.name[0]) {
      if (symbol.file[0])
        debug::Warning(L"  %s!%s+0x%Ix (%s:%lu)", symbol.module, symbol.name, symbol.displacement, symbol.file,
                       symbol.line);
      else
        debug::Warning(L"  %s!%s+0x%Ix", symbol.module, symbol.name, symbol.displacement);
      continue;
    }
    if (inModule)
      debug::Warning(L"  0x%p %s+0x%Ix", record.stack[i], symbol.module, symbol.moduleOffset);
    else
      debug::Warning(L"  0x%p", record.stack[i]);
    wchar_t call[96];
    CallingInstruction(static_cast<const BYTE*>(record.stack[i]), call, 96);
    debug::Warning(L"  --> %s", call);
  }
}

void ReportList(clsUTHandleList& list) {
  AutoLock hold(list.lock);
  for (const auto& entry : list.handles) {
    debug::Warning(L"LOST %s HANDLE %#p:", list.name.c_str(), reinterpret_cast<void*>(entry.first));
    WriteCreationStack(entry.second);
  }
  list.reported = true;
}

size_t CountMissing(const clsUTHandleList& from, const clsUTHandleList& in) {
  size_t n = 0;
  for (const auto& entry : from.handles) n += in.handles.count(entry.first) == 0;
  return n;
}

void Summary(const wchar_t* label, size_t count, const String& name) {
  if (count == 0) return;
  debug::Write(LibraryTag(), 1, L"%s %d %s HANDLES:", label, static_cast<int>(count), name.c_str());
  debug::Write(LibraryTag(), -1, nullptr);
}

void Details(const wchar_t* label, const clsUTHandleList& from, const clsUTHandleList& in) {
  const size_t count = CountMissing(from, in);
  if (count == 0) return;
  debug::Write(LibraryTag(), 1, L"%s %d %s HANDLES:", label, static_cast<int>(count), from.name.c_str());
  for (const auto& entry : from.handles) {
    if (in.handles.count(entry.first)) continue;
    debug::Write(LibraryTag(), 0, L"%s %s HANDLE %#p", label, from.name.c_str(), reinterpret_cast<void*>(entry.first));
    WriteCreationStack(entry.second);
  }
  debug::Write(LibraryTag(), -1, nullptr);
}

int Operate(int type, int operation, UINT_PTR handle) {
  scLists* lists = Lists(true);
  clsUTHandleList& list = *lists->live[type];
  switch (operation) {
    case kReport:
      ReportList(list);
      return 0;
    case kAdd: {
      AutoLock hold(list.lock);
      auto found = list.handles.find(handle);
      if (found != list.handles.end()) {
        ++found->second.count;
        return 0;
      }
      scHandleRecord record;
      record.count = 1;
      record.frames = RtlCaptureStackBackTrace(2, kStackFrames, record.stack, nullptr);
      list.handles.emplace(handle, record);
      return 0;
    }
    case kRemove: {
      AutoLock hold(list.lock);
      auto found = list.handles.find(handle);
      if (found != list.handles.end() && --found->second.count <= 0) list.handles.erase(found);
      return 0;
    }
    case kCount: {
      AutoLock hold(list.lock);
      return static_cast<int>(list.handles.size());
    }
    case kContains: {
      AutoLock hold(list.lock);
      return list.handles.count(handle) ? 1 : 0;
    }
    case kPushSnapshot: {
      AutoLock hold(list.lock);
      auto copy = std::make_unique<clsUTHandleList>(list.name.c_str());
      copy->handles = list.handles;
      lists->snapshots[type].push_back(std::move(copy));
      return 0;
    }
    case kCompareSnapshots: {
      std::unique_ptr<clsUTHandleList> newer, older;
      {
        AutoLock hold(list.lock);
        auto& stack = lists->snapshots[type];
        if (stack.size() < 2) return 0;
        newer = std::move(stack.back());
        stack.pop_back();
        older = std::move(stack.back());
        stack.pop_back();
      }
      Summary(L"NEW", CountMissing(*newer, *older), newer->name);
      Summary(L"DELETED", CountMissing(*older, *newer), newer->name);
      Details(L"NEW", *newer, *older);
      Details(L"DELETED", *older, *newer);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace

int HandleListMgr(int type, int operation, UINT_PTR handle) noexcept {
  if (type < 0 || type >= kTypeCount) {
    debug::Warning(L"WRN: UtilHandleListMgr: type %d is not a GDI object type (0 to 14): ignored", type);
    return 0;
  }
  try {
    return Operate(type, operation, handle);
  } catch (...) {
    debug::Warning(L"ERR: UtilHandleListMgr: out of memory (type %d, operation %d)", type, operation);
    return 0;
  }
}

void ReportLostHandles(bool release) noexcept {
  scLists* lists = Lists(false);
  if (!lists) return;
  for (auto& list : lists->live) {
    try {
      if (!list->reported) ReportList(*list);
    } catch (...) {
    }
  }
  if (!release) return;
  AutoLock hold(g_managerLock);
  g_lists = nullptr;
  delete lists;
}

}  // namespace ovut::handles
