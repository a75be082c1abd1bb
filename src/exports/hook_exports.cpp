// Window-hook, Ctrl+Break and concurrency-marker entry points.
#include "diagnostics/cbt_hook.h"
#include "diagnostics/ctrl_break.h"
#include "diagnostics/cv_markers.h"
#include "ovut19/hooks.h"

namespace cv = ovut::debug::cv;

extern "C" {

int WINAPI UtilSetCBTHook(HOOKPROC callback, BOOL install) { return ovut::debug::SetCBTHook(callback, install != 0); }

int WINAPI UtilCtrlBreakHookAttach(BOOL attach) { return ovut::debug::CtrlBreakHookAttach(attach != 0); }

BOOL WINAPI UtilCVIsEnabled(void) { return cv::IsEnabled() ? TRUE : FALSE; }
void WINAPI UtilCVWriteFlag(LPCWSTR text) { cv::WriteFlag(text); }
void WINAPI UtilCVWriteMessage(LPCWSTR text) { cv::WriteMessage(text); }
HANDLE WINAPI UtilCVEnterSpan(LPCWSTR text) { return cv::EnterSpan(text); }
void WINAPI UtilCVLeaveSpan(HANDLE span) { cv::LeaveSpan(span); }

}  // extern "C"
