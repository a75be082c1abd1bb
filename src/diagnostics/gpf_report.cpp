// clsGPFProtection::GenerateExceptionReport and the lines it writes.
//
// The report may run while this thread holds the loader lock or the process heap's lock (or
// while the heap is corrupt). Its text part is therefore written from static buffers straight
// into the log file (crash_log.h), and when the fault lies where those locks are held (the NT
// layer) or the loader lock is taken, everything that needs the heap or the loader is left out:
// the channel, the registry, the boxes, the module list, the stack trace and the minidump.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "diagnostics/crash_log.h"
#include "diagnostics/debug_output.h"
#include "diagnostics/gpf_protection.h"
#include "diagnostics/gpf_report_lines.h"
#include "diagnostics/message_box_thread.h"
#include "diagnostics/minidump.h"
#include "environment/late_dbghelp.h"
#include "environment/loader_lock.h"
#include "environment/process_identity.h"
#include "environment/registry_values.h"
#include "environment/ui_policy.h"

namespace ovut::crash {
namespace {

struct ReportSection {
  ReportSection() noexcept { InitializeCriticalSection(&cs); }
  CRITICAL_SECTION cs;  // never deleted: a report may come during unload
};
ReportSection& Section() noexcept {
  static ReportSection* section = new ReportSection;
  return *section;
}
[[maybe_unused]] ReportSection& g_sectionAtLoad = Section();

volatile DWORD g_reportingThread = 0;
bool g_unsafe = false;           // heap or loader not to be used by this report
wchar_t g_line[4097];            // one report line
wchar_t g_name[200];             // the exception's name
wchar_t g_when[96];
wchar_t g_nested[160];

struct NamedCode {
  DWORD code;
  const wchar_t* name;
};
constexpr NamedCode kNames[] = {
    {0xC0000005, L"Access Violation"},
    {0x80000002, L"Misalignment"},
    {0x80000003, L"Breakpoint"},
    {0x80000004, L"SingleStep"},
    {0xC0000006, L"Paging error"},
    {0xC000001D, L"Illegal Instruction Encountered"},
    {0xC0000025, L"Noncontinuable Exception"},
    {0xC0000026, L"Invalid Disposition"},
    {0xC000008C, L"Bounds Exceeded"},
    {0xC000008D, L"Float: Denormal Operand"},
    {0xC000008E, L"Float: Division by Zero"},
    {0xC000008F, L"Float: Inexact Result"},
    {0xC0000090, L"Float: Invalid Operation"},
    {0xC0000091, L"Float: Overflow"},
    {0xC0000092, L"Float: StackCheck"},
    {0xC0000093, L"Float: Underflow"},
    {0xC0000094, L"Integer Division by Zero"},
    {0xC0000095, L"Integer: Overflow"},
    {0xC0000096, L"Privileged Instruction Encountered"},
    {0xC00000FD, L"Stack Overflow"},
};

void Channel(const wchar_t* text) noexcept {
  if (g_unsafe) return;
  const int indent = text[0] == L'>' ? 1 : text[0] == L'<' ? -1 : 0;
  debug::Write(env::Identity().library.baseName.c_str(), indent, L"%s", text);
}


int Ask(const wchar_t* text, const wchar_t* caption, UINT style, int defaultResult) noexcept {
  try {
    clsMessageBoxThread box{String(text), String(caption), style, defaultResult};
    return box.Show();
  } catch (...) {
    return defaultResult;
  }
}

// "Software\Orvask\<PROGRAM>": the per-program switch of full reports.
bool ReadFullInfoSwitch(DWORD& value) noexcept {
  wchar_t key[300];
  FormatInto(key, 300, L"Software\\Orvask\\%s", env::Identity().process.baseName.c_str());
  return env::ReadRegistryDword(HKEY_CURRENT_USER, key, L"GenerateFullGPFInfo", value);
}

void OpenFolderOf(const wchar_t* path) noexcept {
  wchar_t folder[MAX_PATH];
  FormatInto(folder, MAX_PATH, L"%s", path);
  if (wchar_t* slash = wcsrchr(folder, L'\\')) *slash = 0;
  ShellExecuteW(nullptr, L"open", folder, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void ExceptionName(DWORD code, wchar_t* name, size_t size) noexcept {
  for (const NamedCode& n : kNames)
    if (n.code == code) return FormatInto(name, size, L"%s", n.name);
  name[0] = 0;
  if (g_unsafe) return;  // the message functions allocate
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, ntdll, code, 0, name,
                                 static_cast<DWORD>(size < 200 ? size : 200), nullptr);
  name[n < size ? n : size - 1] = 0;
  while (n && name[0] && (name[wcslen(name) - 1] == L'\n' || name[wcslen(name) - 1] == L'\r'))
    name[wcslen(name) - 1] = 0;
}

bool ReportingOnThisThread() noexcept { return g_reportingThread == GetCurrentThreadId(); }

void EndAfterNestedException(EXCEPTION_POINTERS* exception) noexcept {
  const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
  FormatInto(g_nested, 160, L"exception 0x%08x at %p while writing the report: the process ends", code,
             exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionAddress : nullptr);
  AppendCrashLogLine(g_nested);
  TerminateProcess(GetCurrentProcess(), code);
  for (;;) Sleep(INFINITE);
}

}  // namespace ovut::crash

using namespace ovut;
using namespace ovut::crash;

void clsGPFProtection::Log(DWORD outputFlags, const wchar_t* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  FormatIntoV(g_line, sizeof g_line / sizeof g_line[0], format, args);
  va_end(args);
  if (outputFlags & kToChannel) Channel(g_line);
  if (outputFlags & kToLogFile) AppendCrashLogLine(g_line);
}

void clsGPFProtection::GenerateExceptionReport(EXCEPTION_POINTERS* exception, bool minidumpOnly) noexcept {
  if (!exception || !exception->ExceptionRecord || !exception->ContextRecord) return;
  EnterCriticalSection(&Section().cs);
  const DWORD previousThread = g_reportingThread;
  const bool previousUnsafe = g_unsafe;
  g_reportingThread = GetCurrentThreadId();
  g_unsafe = HeapOrLoaderUnsafe(exception) || env::UnderLoaderLock();
  if (!g_unsafe) {
    // Ready already when protection was switched on; a direct call prepares here.
    PrepareCrashLog();
    PrepareReportFacts();
  }
  const DWORD code = exception->ExceptionRecord->ExceptionCode;
  const bool dbghelp = !g_unsafe && env::DBGHELP.Load();
  const bool ui = !g_unsafe && env::UIInteractionAllowed();
  ExceptionName(code, g_name, 200);
  Log(kToChannel,
      L">clsGPFProtection::GenerateExceptionReport(bCreateMinidumpOnly=%d, IsUserInteractionAllowed()=%d): "
      L"DBGHELP is %s present",
      minidumpOnly ? 1 : 0, ui ? 1 : 0, dbghelp ? L"" : L"not");

  bool allowed = true;
  if (!dbghelp) {
    minidumpOnly = false;
  } else {
    if (minidumpOnly) {
      flags &= kInteractive;
    } else {
      DWORD value = 0;
      if (ReadFullInfoSwitch(value)) {
        allowed = value != 0;
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): registry explicitly %s GPFInfo",
            allowed ? L"allows" : L"denies");
      }
    }
    if ((flags & kInteractive) && allowed && ui) {
      const wchar_t* question =
          CrashTextsInGerman() ? L"Diese Anwendung hat ein Problem verursacht und muss beendet werden. Wir bedauern dieses "
                     L"Problem.\r\nBitte helfen Sie uns dabei, das Produkt zu verbessern. Es kann eine Datei mit "
                     L"Informationen f\u00fcr den Support erstellt werden, die Sie anschlie\u00dfend verschicken "
                     L"k\u00f6nnen. M\u00f6chten Sie dies?\r\n"
                   : L"This application has caused a problem and needs to close. We're sorry for the "
                     L"inconvenience.\r\nPlease help to improve the product. An error report with information for "
                     L"the support can be created and sent afterwards. Do you want to create this report?\r\n";
      if (Ask(question, g_name, MB_YESNO | MB_ICONERROR | MB_TOPMOST | MB_TASKMODAL | MB_SETFOREGROUND, IDYES) ==
          IDNO) {
        allowed = false;
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): user actively suppressed GPFInfo");
      }
    }
  }
  if (!allowed) {
    Log(kToChannel, L"<clsGPFProtection::GenerateExceptionReport() -> no GPF info requested");
  } else {
    const DWORD out = GetOutputFlags();
    const CONTEXT* context = exception->ContextRecord;
    Log(kToChannel, L">clsGPFProtection::GenerateExceptionReport(): starting report");
    DateTimeText(g_when, 96, g_unsafe);
    Log(out, L">>>========================= %s", g_when);
    Log(out, L"Exception code: 0x%08x (%s)", code, g_name);
    WriteRegisters(*this, context);
    WriteCodeEnvironment(*this, context);
    if (g_unsafe)
      Log(kToLogFile, L"The loader lock or the process heap may be held: module list, stack trace and minidump left out.");
    if (!minidumpOnly) {
      if (g_unsafe || !WriteModuleList(*this))
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): DBGHELP.GetModuleList() failed");
      if (g_unsafe || !dbghelp || !WriteStackTrace(*this, context))
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): DBGHELP.GetStackTrace() failed");
    }
    Log(out, L"");

    static wchar_t archive[MAX_PATH];
    archive[0] = 0;
    if (!g_unsafe) {
      Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): creating minidump");
      if (WriteMiniDump(exception, archive, MAX_PATH) == kDumpFailed || !archive[0]) {
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): DBGHELP.WriteMiniDump() failed");
        archive[0] = 0;
        minidumpOnly = false;
      }
    }
    const bool german = !g_unsafe && CrashTextsInGerman();
    if (archive[0])
      Log(out, L"%s",
          german ? L"Die Informationen f\u00fcr den Support wurden erzeugt.\r\nSoll das Verzeichnis der Datei "
                   L"ge\u00f6ffnet werden?\r\n"
                 : L"The information for the support was generated.\r\nDo you want to open the containing "
                   L"folder?\r\n");
    else
      Log(out,
          german ? L"Die Informationen \u00fcber den Ausnahmefehler wurden in die Datei '%s' geschrieben.\r\n"
                 : L"The exception information was written to the file '%s'.\r\n",
          CrashLogPath());
    if ((minidumpOnly || (flags & kInteractive)) && ui) {
      static wchar_t message[600];
      if (archive[0]) {
        Log(kToChannel,
            L"clsGPFProtection::GenerateExceptionReport(): asking user to open directory with support information");
        FormatInto(message, 600, L"%s",
                   german ? L"Die Informationen f\u00fcr den Support wurden erzeugt.\r\nSoll das Verzeichnis der "
                            L"Datei ge\u00f6ffnet werden?\r\n"
                          : L"The information for the support was generated.\r\nDo you want to open the containing "
                            L"folder?\r\n");
        if (Ask(message, g_name, MB_YESNO | MB_DEFBUTTON1 | MB_ICONERROR | MB_TOPMOST | MB_TASKMODAL, IDNO) ==
            IDYES) {
          Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): showing '%s'", archive);
          OpenFolderOf(archive);
        }
      } else {
        Log(kToChannel, L"clsGPFProtection::GenerateExceptionReport(): telling user that the minidump failed");
        FormatInto(message, 600,
                   german ? L"Die Informationen \u00fcber den Ausnahmefehler wurden in die Datei '%s' "
                            L"geschrieben.\r\n"
                          : L"The exception information was written to the file '%s'.\r\n",
                   CrashLogPath());
        Ask(message, g_name, MB_OK | MB_ICONERROR | MB_TOPMOST | MB_TASKMODAL, IDOK);
      }
    }
    DateTimeText(g_when, 96, g_unsafe);
    Log(out, L"<<<========================= %s", g_when);
    Log(kToChannel, L"<clsGPFProtection::GenerateExceptionReport(): report finished");
    Log(kToChannel, L"<clsGPFProtection::GenerateExceptionReport() -> done");
  }
  g_unsafe = previousUnsafe;
  g_reportingThread = previousThread;
  LeaveCriticalSection(&Section().cs);
}
