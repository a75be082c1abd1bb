#include "diagnostics/gpf_report_lines.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "diagnostics/crash_log.h"
#include "diagnostics/gpf_protection.h"
#include "diagnostics/module_info.h"
#include "diagnostics/readable_memory.h"
#include "environment/late_dbghelp.h"
#include "environment/shared_locks.h"

namespace ovut::crash {
namespace {

UINT_PTR g_ntBase = 0, g_ntEnd = 0;

#ifdef _WIN64
constexpr DWORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr ULONG kFrameRegister = 334, kStackRegister = 335;  // CV_AMD64_RBP, CV_AMD64_RSP
#else
constexpr DWORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr ULONG kFrameRegister = 22, kStackRegister = 21;  // CV_REG_EBP, CV_REG_ESP
#endif

bool Readable(const void* address, void* out, size_t bytes) noexcept {
  return debug::CopyIfReadable(address, out, bytes);
}

// File name part of a path.
const wchar_t* NameOf(const wchar_t* path) noexcept {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  return name;
}

// "a.b.c.d" from the fixed part of a module's version resource, read in place.
void ModuleVersion(HMODULE module, wchar_t* text, size_t size) noexcept {
  FormatInto(text, size, L"<no version info>");
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!data || SizeofResource(module, found) < 40 + sizeof(VS_FIXEDFILEINFO)) return;
  const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(data + 40);  // after "VS_VERSION_INFO"
  if (fixed->dwSignature != 0xFEEF04BD) return;
  FormatInto(text, size, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
}

// Parameters and locals of one frame, as the debug-help library describes them.
struct FrameSymbols {
  clsGPFProtection* report;
  HANDLE process;
  const STACKFRAME64* frame;
};

ULONG64 TypeInfo(HANDLE process, ULONG64 base, ULONG type, IMAGEHLP_SYMBOL_TYPE_INFO what) noexcept {
  auto get = env::p_SymGetTypeInfo.Get();
  ULONG64 value = 0;
  DWORD small = 0;
  if (!get) return 0;
  if (what == TI_GET_LENGTH) return get(process, base, type, what, &value) ? value : 0;
  return get(process, base, type, what, &small) ? small : 0;
}

void ValueText(const FrameSymbols& c, const SYMBOL_INFOW* symbol, const void* at, wchar_t* text, size_t size) noexcept {
  enum { kTagPointer = 14, kTagBase = 16, kChar = 2, kWChar = 3, kInt = 6, kUInt = 7, kFloat = 8, kLong = 13,
         kULong = 14 };
  const ULONG64 base = symbol->ModBase;
  const ULONG tag = static_cast<ULONG>(TypeInfo(c.process, base, symbol->TypeIndex, TI_GET_SYMTAG));
  unsigned char bytes[8] = {};
  const ULONG size0 = symbol->Size ? symbol->Size : static_cast<ULONG>(TypeInfo(c.process, base, symbol->TypeIndex, TI_GET_LENGTH));
  const size_t length = size0 == 0 || size0 > 8 ? 4 : size0;
  if (!Readable(at, bytes, length)) {
    FormatInto(text, size, L"(inaccessible)");
    return;
  }
  ULONG64 raw = 0;
  memcpy(&raw, bytes, length);
  if (tag == kTagPointer) {
    const ULONG pointee = static_cast<ULONG>(TypeInfo(c.process, base, symbol->TypeIndex, TI_GET_TYPE));
    const ULONG kind = static_cast<ULONG>(TypeInfo(c.process, base, pointee, TI_GET_BASETYPE));
    const void* target = reinterpret_cast<const void*>(static_cast<UINT_PTR>(raw));
    if (kind == kChar || kind == kWChar) {
      wchar_t shown[64] = {};
      bool ok = true;
      if (kind == kWChar) {
        ok = Readable(target, shown, 2) ;
        for (int i = 0; ok && i < 63 && Readable(static_cast<const wchar_t*>(target) + i, &shown[i], 2) && shown[i]; ++i) {}
      } else {
        char narrow[64] = {};
        ok = Readable(target, narrow, 1);
        for (int i = 0; ok && i < 63 && Readable(static_cast<const char*>(target) + i, &narrow[i], 1) && narrow[i]; ++i)
          shown[i] = static_cast<unsigned char>(narrow[i]);
      }
      shown[63] = 0;
      if (ok)
        FormatInto(text, size, L"%#p '%s'", target, shown);
      else
        FormatInto(text, size, L"%#p '(inaccessible)'", target);
      return;
    }
    FormatInto(text, size, L"0x%08Ix", static_cast<UINT_PTR>(raw));
    return;
  }
  const ULONG kind = tag == kTagBase ? static_cast<ULONG>(TypeInfo(c.process, base, symbol->TypeIndex, TI_GET_BASETYPE)) : 0;
  if (kind == kFloat) {
    const double v = length == 4 ? static_cast<double>(*reinterpret_cast<float*>(bytes)) : *reinterpret_cast<double*>(bytes);
    FormatInto(text, size, L"%g", v);
  } else if ((kind == kUInt || kind == kULong) && length == 8) {
    FormatInto(text, size, L"%I64u=0x%016I64x", raw, raw);
  } else if (kind == kUInt || kind == kULong) {
    FormatInto(text, size, L"%u=0x%08x", static_cast<UINT>(raw), static_cast<UINT>(raw));
  } else if ((kind == kInt || kind == kLong) && length == 8) {
    FormatInto(text, size, L"%I64d", static_cast<LONG64>(raw));
  } else if (kind == kInt || kind == kLong) {
    const LONG v = length == 1 ? static_cast<signed char>(raw) : length == 2 ? static_cast<short>(raw) : static_cast<LONG>(raw);
    FormatInto(text, size, L"%d", v);
  } else {
    FormatInto(text, size, L"0x%08x", static_cast<UINT>(raw));
  }
}

BOOL CALLBACK EnumFrameSymbol(PSYMBOL_INFOW symbol, ULONG, PVOID context) {
  const FrameSymbols& c = *static_cast<const FrameSymbols*>(context);
  const bool parameter = (symbol->Flags & SYMFLAG_PARAMETER) != 0;
  if (!parameter && !(symbol->Flags & SYMFLAG_LOCAL)) return TRUE;
  wchar_t value[160];
  UINT_PTR address = 0;
  if (symbol->Flags & SYMFLAG_REGISTER) {
    FormatInto(value, 160, L"(in a register)");
  } else {
    if (symbol->Flags & SYMFLAG_FRAMEREL) {
      address = static_cast<UINT_PTR>(c.frame->AddrFrame.Offset + symbol->Address);
    } else if (symbol->Flags & SYMFLAG_REGREL) {
      const ULONG64 base = symbol->Register == kFrameRegister ? c.frame->AddrFrame.Offset
                           : symbol->Register == kStackRegister ? c.frame->AddrStack.Offset : 0;
      address = base ? static_cast<UINT_PTR>(base + symbol->Address) : 0;
    } else {
      address = static_cast<UINT_PTR>(symbol->Address);
    }
    if (address)
      ValueText(c, symbol, reinterpret_cast<const void*>(address), value, 160);
    else
      FormatInto(value, 160, L"(unknown)");
  }
  c.report->Log(c.report->GetOutputFlags(), L"        %s(%s)=%s", parameter ? L"param" : L"local", symbol->Name, value);
  return TRUE;
}

}  // namespace

void PrepareReportFacts() noexcept {
  if (g_ntBase) return;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(ntdll);
  if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(dos) + dos->e_lfanew);
  g_ntEnd = reinterpret_cast<UINT_PTR>(ntdll) + nt->OptionalHeader.SizeOfImage;
  g_ntBase = reinterpret_cast<UINT_PTR>(ntdll);
}

bool HeapOrLoaderUnsafe(const EXCEPTION_POINTERS* exception) noexcept {
  if (debug::LoaderLockOwner()) return true;
  const UINT_PTR at = reinterpret_cast<UINT_PTR>(exception->ExceptionRecord->ExceptionAddress);
  return g_ntBase && at >= g_ntBase && at < g_ntEnd;
}

UINT_PTR InstructionPointer(const CONTEXT* context) noexcept {
#ifdef _WIN64
  return static_cast<UINT_PTR>(context->Rip);
#else
  return context->Eip;
#endif
}

void StepOverBreakpoint(CONTEXT* context) noexcept {
  unsigned char op = 0;
  if (!context || !Readable(reinterpret_cast<const void*>(InstructionPointer(context)), &op, 1) || op != 0xCC) return;
#ifdef _WIN64
  context->Rip += 1;
#else
  context->Eip += 1;
#endif
}

void DateTimeText(wchar_t* text, size_t size, bool plain) noexcept {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[64] = {}, time[64] = {};
  // The locale's time format with a 24-hour clock and without the AM/PM marker.
  wchar_t format[64] = {}, format24[64] = {};
  if (!plain && GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, 64)) {
    size_t n = 0;
    for (const wchar_t* p = format; *p && n < 63; ++p) {
      if (*p == L't') continue;
      format24[n++] = *p == L'h' ? L'H' : *p;
    }
    while (n && format24[n - 1] == L' ') format24[--n] = 0;
  }
  if (plain || !format24[0] || !GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64) ||
      !GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, format24, time, 64)) {
    FormatInto(text, size, L"%04u-%02u-%02u, %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
               now.wSecond);
    return;
  }
  FormatInto(text, size, L"%s, %s", date, time);
}

void WriteRegisters(clsGPFProtection& r, const CONTEXT* c) noexcept {
  const DWORD out = r.GetOutputFlags();
  const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
  r.Log(out, L"Registers:");
#ifdef _WIN64
  r.Log(out, L"RIP: 0x%016I64x", c->Rip);
  r.Log(out, L"RAX: 0x%016I64x, RBX: 0x%016I64x, RCX: 0x%016I64x, RDX: 0x%016I64x", c->Rax, c->Rbx, c->Rcx, c->Rdx);
  r.Log(out, L"RSI: 0x%016I64x, RDI: 0x%016I64x, RSP: 0x%016I64x, RBP: 0x%016I64x (Stack Range: 0x%016I64x..0x%016I64x)",
        c->Rsi, c->Rdi, c->Rsp, c->Rbp, reinterpret_cast<ULONG64>(tib->StackLimit),
        reinterpret_cast<ULONG64>(tib->StackBase));
  r.Log(out, L"R8: 0x%016I64x, R9: 0x%016I64x, R10: 0x%016I64x, R11: 0x%016I64x", c->R8, c->R9, c->R10, c->R11);
  r.Log(out, L"R12: 0x%016I64x, R13: 0x%016I64x, R14: 0x%016I64x, R15: 0x%016I64x", c->R12, c->R13, c->R14, c->R15);
#else
  r.Log(out, L"EIP: 0x%08x", c->Eip);
  r.Log(out, L"EAX: 0x%08x, EBX: 0x%08x, ECX: 0x%08x, EDX: 0x%08x", c->Eax, c->Ebx, c->Ecx, c->Edx);
  r.Log(out, L"ESI: 0x%08x, EDI: 0x%08x, ESP: 0x%08x, EBP: 0x%08x (Stack Range: 0x%08x..0x%08x)", c->Esi, c->Edi,
        c->Esp, c->Ebp, reinterpret_cast<UINT_PTR>(tib->StackLimit), reinterpret_cast<UINT_PTR>(tib->StackBase));
#endif
  r.Log(out, L"CS: 0x%04x, DS: 0x%04x, ES: 0x%04x, FS: 0x%04x, GS: 0x%04x, SS: 0x%04x", c->SegCs, c->SegDs, c->SegEs,
        c->SegFs, c->SegGs, c->SegSs);
  r.Log(out, L"Flags:0x%08x", c->EFlags);
}

void WriteCodeEnvironment(clsGPFProtection& r, const CONTEXT* c) noexcept {
  const DWORD out = r.GetOutputFlags();
  const UINT_PTR ip = InstructionPointer(c);
  const UINT_PTR first = (ip < 0x40 ? 0 : ip - 0x40) & ~static_cast<UINT_PTR>(15);
  const UINT_PTR end = (ip + 0x41) & ~static_cast<UINT_PTR>(15);
  r.Log(out, L"Code environment:");
  for (UINT_PTR line = first; line < end; line += 16) {
    wchar_t text[32 + 16 * 3 + 2];
    FormatInto(text, 32, L"%#p ", reinterpret_cast<void*>(line));
    size_t n = wcslen(text);
    unsigned char bytes[16];
    const bool whole = Readable(reinterpret_cast<const void*>(line), bytes, 16);
    for (int i = 0; i < 16; ++i) {
      unsigned char b = 0;
      const bool ok = whole ? (b = bytes[i], true) : Readable(reinterpret_cast<const void*>(line + i), &b, 1);
      if (ok)
        FormatInto(text + n, 4, L"%02x ", b);
      else
        FormatInto(text + n, 4, L"-- ");
      n += 3;
    }
    r.Log(out, L" %s", text);
  }
}

bool WriteModuleList(clsGPFProtection& r) noexcept {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W entry;
  entry.dwSize = sizeof entry;
  const DWORD out = r.GetOutputFlags();
  bool any = false;
  if (Module32FirstW(snapshot, &entry)) {
    r.Log(out, L"List of Modules:");
    do {
      any = true;
      wchar_t version[48], stamp[24] = L"", size[32];
      ModuleVersion(entry.hModule, version, 48);
      const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(entry.modBaseAddr);
      IMAGE_DOS_HEADER d;
      IMAGE_NT_HEADERS nt;
      if (Readable(dos, &d, sizeof d) && d.e_magic == IMAGE_DOS_SIGNATURE &&
          Readable(entry.modBaseAddr + d.e_lfanew, &nt, sizeof nt))
        FormatInto(stamp, 24, L"0x%08x", nt.FileHeader.TimeDateStamp);
      FormatInto(size, 32, L"0x%08x bytes", entry.modBaseSize);
      r.Log(out, L"0x%08Ix: %-20s %-45s %-30s '%s'  [%s]", reinterpret_cast<UINT_PTR>(entry.modBaseAddr),
            entry.szModule, entry.szExePath, version, stamp, size);
    } while (Module32NextW(snapshot, &entry));
  }
  CloseHandle(snapshot);
  return any;
}

namespace {

struct scFrame {
  DWORD64 pc, frame, stack;
};

// The frames of the faulting thread from the exception's context. 64-bit: the unwind tables
// (a function without an entry is a leaf: its return address is at the stack pointer), which
// also walks out of code outside any module. 32-bit: the debug-help walk, or the saved-EBP chain
// when that gives nothing.
int CollectFrames(HANDLE process, const CONTEXT* context, scFrame* frames, int max) noexcept {
  CONTEXT c = *context;
  int n = 0;
#ifdef _WIN64
  (void)process;
  while (n < max && c.Rip) {
    frames[n++] = {c.Rip, c.Rbp, c.Rsp};
    const DWORD64 previousStack = c.Rsp;
    DWORD64 imageBase = 0;
    PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(c.Rip, &imageBase, nullptr);
    if (!function) {
      if (!Readable(reinterpret_cast<const void*>(c.Rsp), &c.Rip, sizeof c.Rip)) break;
      c.Rsp += 8;
    } else {
      void* handlerData = nullptr;
      DWORD64 establisher = 0;
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, c.Rip, function, &c, &handlerData, &establisher, nullptr);
    }
    if (c.Rsp <= previousStack) break;
  }
#else
  auto walk = env::p_StackWalk64.Get();
  auto table = env::p_SymFunctionTableAccess64.Get();
  auto moduleBase = env::p_SymGetModuleBase64.Get();
  STACKFRAME64 frame = {};
  frame.AddrPC.Offset = c.Eip;
  frame.AddrFrame.Offset = c.Ebp;
  frame.AddrStack.Offset = c.Esp;
  frame.AddrPC.Mode = frame.AddrFrame.Mode = frame.AddrStack.Mode = AddrModeFlat;
  while (walk && table && moduleBase && n < max &&
         walk(kMachine, process, GetCurrentThread(), &frame, &c, nullptr, table, moduleBase, nullptr) &&
         frame.AddrPC.Offset)
    frames[n++] = {frame.AddrPC.Offset, frame.AddrFrame.Offset, frame.AddrStack.Offset};
  if (n == 0) {
    DWORD pc = context->Eip, ebp = context->Ebp, esp = context->Esp;
    while (n < max && pc) {
      frames[n++] = {pc, ebp, esp};
      DWORD saved[2];
      if (!ebp || !Readable(reinterpret_cast<const void*>(static_cast<UINT_PTR>(ebp)), saved, sizeof saved) ||
          saved[0] <= ebp)
        break;
      esp = ebp + 8;
      ebp = saved[0];
      pc = saved[1];
    }
  }
#endif
  return n;
}

}  // namespace

bool WriteStackTrace(clsGPFProtection& r, const CONTEXT* context) noexcept {
  env::clsSectionLock hold(env::DebugHelpSection());
  HANDLE process = env::DBGHELP.SymbolProcess();
  if (!process) return false;
  env::DBGHELP.RefreshModules();
  static scFrame frames[64];
  const int count = CollectFrames(process, context, frames, 64);
  if (count == 0) return false;
  const DWORD out = r.GetOutputFlags();
  r.Log(out, L"Stack Trace:");
  auto fromAddr = env::p_SymFromAddrW.Get();
  auto lineFromAddr = env::p_SymGetLineFromAddrW64.Get();
  auto setContext = env::p_SymSetContext.Get();
  auto enumSymbols = env::p_SymEnumSymbolsW.Get();
  for (int i = 0; i < count; ++i) {
    const DWORD64 pc = frames[i].pc;
    // Return addresses point behind the call: look up the call itself.
    const DWORD64 lookup = i == 0 ? pc : pc - 1;
    wchar_t module[MAX_PATH] = L"?";
    HMODULE owner = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(lookup)), &owner)) {
      wchar_t path[MAX_PATH];
      const DWORD n = GetModuleFileNameW(owner, path, MAX_PATH);
      path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
      FormatInto(module, MAX_PATH, L"%s", NameOf(path));
    }
    alignas(SYMBOL_INFOW) unsigned char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
    auto* info = reinterpret_cast<SYMBOL_INFOW*>(buffer);
    info->SizeOfStruct = sizeof(SYMBOL_INFOW);
    info->MaxNameLen = 255;
    DWORD64 displacement = 0;
    wchar_t where[48];
    FormatInto(where, 48, L"(frame 0x%I64x)", frames[i].frame);
    if (fromAddr && fromAddr(process, lookup, &displacement, info) && info->Name[0]) {
      displacement += pc - lookup;
      if (displacement)
        r.Log(out, L"   CALL [0x%08I64x] %s!%s + 0x%08I64x %s", pc, module, info->Name, displacement, where);
      else
        r.Log(out, L"   CALL [0x%08I64x] %s!%s %s", pc, module, info->Name, where);
    } else {
      r.Log(out, L"   CALL [0x%08I64x] %s!0x%08I64x %s", pc, module, pc - reinterpret_cast<UINT_PTR>(owner), where);
    }
    IMAGEHLP_LINEW64 line = {};
    line.SizeOfStruct = sizeof line;
    DWORD lineDisplacement = 0;
    if (lineFromAddr && lineFromAddr(process, lookup, &lineDisplacement, &line) && line.FileName)
      r.Log(out, L"  (%s, line %d)", line.FileName, static_cast<int>(line.LineNumber));
    if (setContext && enumSymbols && owner) {
      IMAGEHLP_STACK_FRAME scope = {};
      scope.InstructionOffset = lookup;
      scope.FrameOffset = frames[i].frame;
      scope.StackOffset = frames[i].stack;
      STACKFRAME64 frame = {};
      frame.AddrFrame.Offset = frames[i].frame;
      frame.AddrStack.Offset = frames[i].stack;
      if (setContext(process, &scope, nullptr) || GetLastError() == ERROR_SUCCESS) {
        FrameSymbols symbols{&r, process, &frame};
        enumSymbols(process, 0, nullptr, EnumFrameSymbol, &symbols);
      }
    }
  }
  return true;
}

}  // namespace ovut::crash
