#include "environment/late_interface.h"

#include "environment/shared_locks.h"

namespace ovut::env {
namespace {
ULONG_PTR g_gdiplusToken = 0;
}  // namespace

clsUser32 User32;
clsShell32 Shell32;
clsShlwapi Shlwapi;
clsComCtl32 ComCtl32;
clsComDlg32 ComDlg32;
clsGDI32 GDI32;
clsUXTheme UXTheme;
clsDWMAPI DWMAPI;
clsWINSPOOL WINSPOOL;
clsIEFrame IEFrame;
clsGDIPlus GDIPlus;
clsCredUI CredUI;

OVUT_LATE_DEF(GDIPlus, p_GdiplusStartup, 12);
OVUT_LATE_DEF(GDIPlus, p_GdiplusShutdown, 4);
OVUT_LATE_DEF(CredUI, p_CredUIPromptForCredentials, 40);
OVUT_LATE_DEF(CredUI, p_CredUIConfirmCredentials, 8);
OVUT_LATE_DEF(User32, p_WinHelpW, 16);

bool StartGdiPlus() noexcept {
  clsSectionLock hold(GdiThreadingSection());
  if (g_gdiplusToken) return true;
  auto startup = p_GdiplusStartup.Get();
  if (!startup || !p_GdiplusShutdown) return false;
  scGdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (startup(&token, &input, nullptr) != 0) return false;
  g_gdiplusToken = token;
  return token != 0;
}

void ShutdownGdiPlus() noexcept {
  clsSectionLock hold(GdiThreadingSection());
  if (!g_gdiplusToken) return;
  if (auto shutdown = p_GdiplusShutdown.Get()) shutdown(g_gdiplusToken);
  g_gdiplusToken = 0;
}

}  // namespace ovut::env
