#include "environment/window_messages.h"

#include <cwchar>
#include <string>
#include <unordered_map>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/critical_section.h"

namespace ovut::env {
namespace {

// Created by the static initialisers at load, before any export runs; the data is only reached
// under its lock.
class clsWindowMessageRegistry {
 public:
  UINT NumberOf(const wchar_t* name) {
    std::wstring key(name);
    CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    AutoLock lock(lock_);
    auto found = numbers_.find(key);
    if (found != numbers_.end()) return found->second;
    if (nextFree_ > kLastWindowMessage) {
      debug::Warning(L"ERR: UtilGetWindowMessage(): no free message number left for '%s'", name);
      return 0;
    }
    names_.emplace_back(name);
    numbers_.emplace(std::move(key), nextFree_);
    return nextFree_++;
  }

  bool NameOf(UINT number, String& name) {
    AutoLock lock(lock_);
    if (number < kFirstWindowMessage || number >= nextFree_) return false;
    name = names_[number - kFirstWindowMessage];
    return true;
  }

 private:
  CriticalSection lock_;
  std::unordered_map<std::wstring, UINT> numbers_;  // upper-cased name -> number
  std::vector<String> names_;                       // by number - kFirstWindowMessage
  UINT nextFree_ = kFirstWindowMessage;
};

clsWindowMessageRegistry g_windowMessages;

}  // namespace

UINT WindowMessageOf(const wchar_t* name) noexcept {
  if (!name || !*name) return 0;
  try {
    return g_windowMessages.NumberOf(name);
  } catch (...) {
    return 0;
  }
}

bool WindowMessageName(UINT number, String& name) noexcept {
  try {
    return g_windowMessages.NameOf(number, name);
  } catch (...) {
    return false;
  }
}

}  // namespace ovut::env
