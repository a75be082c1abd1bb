#include "cstring/report.h"

#include <cstdarg>
#include <cstdio>

#include "diagnostics/debug_output.h"

namespace ovut::cstring {
namespace {
ReportSink g_sink = nullptr;
void* g_sinkContext = nullptr;
}  // namespace

const wchar_t* ModuleTag() { return L""; }

bool ReportActive() { return g_sink != nullptr || debug::IsActive(); }

void Report(const wchar_t* format, ...) {
  wchar_t text[1025];
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(text, 1024, format, args);
  va_end(args);
  text[n < 0 ? 1024 : n] = 0;
  if (ReportSink sink = g_sink) sink(g_sinkContext, text);
  else debug::Write(nullptr, 0, L"%s", text);
}

void SetReportSink(ReportSink sink, void* context) {
  g_sinkContext = context;
  g_sink = sink;
}

}  // namespace ovut::cstring
