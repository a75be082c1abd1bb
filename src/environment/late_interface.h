// User-interface libraries: the wrappers of the window, shell, common-control, theme and
// printing libraries for the functions newer systems add there; GDI+ (image metadata) and the
// credential prompts of the logon functions. GDI+ is started at most once per process, under
// the GDI section, and shut down at detach when it was started.
#pragma once
#include <windows.h>
#include <wincred.h>

#include "environment/late_load.h"

namespace ovut::env {

#define OVUT_LATE_LIBRARY(cls, object, module)              \
  class cls : public CLateLoadBase {                        \
   public:                                                  \
    constexpr cls() : CLateLoadBase(module) {}              \
  };                                                        \
  extern cls object

OVUT_LATE_LIBRARY(clsUser32, User32, L"user32");
OVUT_LATE_LIBRARY(clsShell32, Shell32, L"shell32");  // asked for the wide name first
OVUT_LATE_LIBRARY(clsShlwapi, Shlwapi, L"shlwapi");
OVUT_LATE_LIBRARY(clsComCtl32, ComCtl32, L"ComCtl32");
OVUT_LATE_LIBRARY(clsComDlg32, ComDlg32, L"ComDlg32");
OVUT_LATE_LIBRARY(clsGDI32, GDI32, L"gdi32");
OVUT_LATE_LIBRARY(clsUXTheme, UXTheme, L"uxtheme");
OVUT_LATE_LIBRARY(clsDWMAPI, DWMAPI, L"dwmapi");  // missing before 6.0 without a warning
OVUT_LATE_LIBRARY(clsWINSPOOL, WINSPOOL, L"WINSPOOL.DRV");
OVUT_LATE_LIBRARY(clsIEFrame, IEFrame, L"IEFrame");
#undef OVUT_LATE_LIBRARY

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

// The older help viewer's entry (help objects): later systems drop it.
OVUT_LATE_DECL(p_WinHelpW, BOOL(WINAPI*)(HWND, LPCWSTR, UINT, ULONG_PTR));

}  // namespace ovut::env
