// User-interface libraries used by a few functions only: GDI+ (image metadata) and the
// credential prompts of the logon functions. GDI+ is started at most once per process, under
// the GDI section, and shut down at detach when it was started.
#pragma once
#include <windows.h>
#include <wincred.h>

#include "environment/late_load.h"

namespace ovut::env {

class clsGDIPlus : public CLateLoadBase {
 public:
  constexpr clsGDIPlus() : CLateLoadBase(L"gdiplus") {}
};
class clsCredUI : public CLateLoadBase {
 public:
  constexpr clsCredUI() : CLateLoadBase(L"credui") {}
};
extern clsGDIPlus GDIPlus;
extern clsCredUI CredUI;

// The start-up record of GDI+ version 1.
struct scGdiplusStartupInput {
  UINT32 version = 1;
  void* debugEventCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
OVUT_LATE_DECL(p_GdiplusStartup, int(WINAPI*)(ULONG_PTR*, const scGdiplusStartupInput*, void*));
OVUT_LATE_DECL(p_GdiplusShutdown, VOID(WINAPI*)(ULONG_PTR));
// True once GDI+ runs in this process (started by the first call).
bool StartGdiPlus() noexcept;
void ShutdownGdiPlus() noexcept;

OVUT_LATE_DECL(p_CredUIPromptForCredentials,
               DWORD(WINAPI*)(PCREDUI_INFOW, PCWSTR, PCtxtHandle, DWORD, PWSTR, ULONG, PWSTR, ULONG, BOOL*, DWORD));
OVUT_LATE_DECL(p_CredUIConfirmCredentials, DWORD(WINAPI*)(PCWSTR, BOOL));

}  // namespace ovut::env
