#include "diagnostics/channel_areas.h"

#include <cstring>

namespace ovut::debug {
namespace {

// Creates or opens a page-file mapping that everyone may open; `created` tells which.
HANDLE CreateOpenMapping(const wchar_t* name, DWORD bytes, bool* created) {
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);  // null DACL: open to everyone
  SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
  HANDLE h = CreateFileMappingW(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE | SEC_COMMIT, 0, bytes, name);
  *created = h && GetLastError() != ERROR_ALREADY_EXISTS;
  return h;
}

}  // namespace

String ProcessAreaName(DWORD processId) {
  wchar_t name[64] = L"ZelZOLVENAppLocalData_0X";
  size_t n = wcslen(name);
  const int digits = 2 * static_cast<int>(sizeof(void*));
  unsigned long long v = processId;
  for (int i = digits - 1; i >= 0; --i, v >>= 4) name[n + i] = L"0123456789ABCDEF"[v & 0xF];
  name[n + digits] = 0;
  return String(name);
}

void clsChannelAreas::Open() {
  bool created = false;
  globalMapping_.reset(CreateOpenMapping(L"ZOLVENGlobalData", sizeof(LONG), &created));
  if (!globalMapping_) {
    String text(L"ZOLVEN global info struct cannot be created: ");
    text += String::ErrorText(GetLastError());
    OutputDebugStringW(text);
  } else {
    globalView_.reset(MapViewOfFile(globalMapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG)));
    if (!globalView_) {
      OutputDebugStringW(L"_pZOLVENInfo FAIL");
    } else {
      viewer_ = static_cast<volatile LONG*>(globalView_.get());
      if (created) std::memset(globalView_.get(), 0, sizeof(LONG));
      createdGlobal_ = created;
    }
  }

  String name = ProcessAreaName(GetCurrentProcessId());
  processMapping_.reset(CreateOpenMapping(name, sizeof(ProcessArea), &created));
  if (processMapping_)
    processView_.reset(MapViewOfFile(processMapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProcessArea)));
  if (!processView_) {
    OutputDebugStringW(L"_pZOLVENInfoAppLocal FAIL");
  } else {
    process_ = static_cast<ProcessArea*>(processView_.get());
    if (created) std::memset(processView_.get(), 0, sizeof(ProcessArea));
  }
}

void clsChannelAreas::Close() {
  viewer_ = &privateViewer_;
  process_ = &privateProcess_;
  globalView_.reset();
  globalMapping_.reset();
  processView_.reset();
  processMapping_.reset();
}

}  // namespace ovut::debug
