// Messages of the pointer checks and UtilError: UtilDebug lines on the debug channel. Tests
// redirect them to a sink of their own.
#pragma once
#include <windows.h>

namespace ovut::cstring {

// True while the channel is active or a sink is installed.
bool ReportActive();
// One UtilDebug line (no module name, indentation unchanged); printf-style wide format.
void Report(const wchar_t* format, ...);

using ReportSink = void (*)(void* context, const wchar_t* text);
// Installs a sink that receives every report instead of the channel; null restores the channel.
void SetReportSink(ReportSink sink, void* context);

// The library's module tag shown in the messages (empty in this library).
const wchar_t* ModuleTag();

}  // namespace ovut::cstring
