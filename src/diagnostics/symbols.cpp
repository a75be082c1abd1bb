#include "diagnostics/symbols.h"

#include <cstdio>
#include <cwchar>

#include "environment/late_dbghelp.h"
#include "environment/loader_lock.h"
#include "environment/shared_locks.h"

namespace ovut::debug {
namespace {

HMODULE ModuleOf(UINT_PTR address) {
  HMODULE module = nullptr;
  if (address <= 0xFFFF ||
      !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(address), &module))
    return nullptr;
  return module;
}

}  // namespace

bool IsCodeAddress(UINT_PTR address) noexcept { return ModuleOf(address) != nullptr; }

bool ResolveAddress(UINT_PTR address, scSymbol* symbol, int detail) noexcept {
  symbol->module[0] = symbol->name[0] = symbol->file[0] = 0;
  symbol->moduleOffset = symbol->displacement = 0;
  symbol->line = 0;
  HMODULE module = ModuleOf(address);
  if (!module) return false;
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  wcsncpy(symbol->module, name, MAX_PATH - 1);
  symbol->module[MAX_PATH - 1] = 0;
  symbol->moduleOffset = address - reinterpret_cast<UINT_PTR>(module);
  if (detail == kModuleOffset || env::UnderLoaderLock()) return true;

  env::clsSectionLock hold(env::DebugHelpSection());
  HANDLE process = env::DBGHELP.SymbolProcess();
  if (!process) return true;
  alignas(SYMBOL_INFOW) unsigned char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)] = {};
  auto* info = reinterpret_cast<SYMBOL_INFOW*>(buffer);
  info->SizeOfStruct = sizeof(SYMBOL_INFOW);
  info->MaxNameLen = 255;
  DWORD64 displacement = 0;
  if (env::p_SymFromAddrW.Get()(process, address, &displacement, info) && info->Name[0]) {
    const ULONG length = info->NameLen < 255 ? info->NameLen : 255;
    wcsncpy(symbol->name, info->Name, length);
    symbol->name[length] = 0;
    symbol->displacement = static_cast<UINT_PTR>(displacement);
  }
  if (detail >= kSourceLine) {
    IMAGEHLP_LINEW64 line = {};
    line.SizeOfStruct = sizeof line;
    DWORD lineDisplacement = 0;
    auto lineFromAddr = env::p_SymGetLineFromAddrW64.Get();
    if (lineFromAddr && lineFromAddr(process, address, &lineDisplacement, &line) && line.FileName) {
      wcsncpy(symbol->file, line.FileName, MAX_PATH - 1);
      symbol->file[MAX_PATH - 1] = 0;
      symbol->line = line.LineNumber;
    }
  }
  return true;
}

bool DescribeAddress(UINT_PTR address, wchar_t* text, int size, int detail) noexcept {
  if (!text || size <= 0) return false;
  text[0] = 0;
  scSymbol symbol;
  if (!ResolveAddress(address, &symbol, detail)) return false;
  const int written = symbol.name[0] ? _snwprintf(text, size - 1, L"%s!%s+0x%Ix", symbol.module, symbol.name,
                                                  symbol.displacement)
                                     : _snwprintf(text, size - 1, L"%s+0x%Ix", symbol.module, symbol.moduleOffset);
  text[written < 0 ? size - 1 : written] = 0;
  return true;
}

void RefreshSymbols() noexcept {
  if (env::UnderLoaderLock()) return;
  env::clsSectionLock hold(env::DebugHelpSection());
  if (env::DBGHELP.SymbolProcess()) env::DBGHELP.RefreshModules();
}

}  // namespace ovut::debug
