#include "docinfo/share_set.h"

#include <windows.h>

#include <set>

#include "foundation/critical_section.h"
#include "foundation/regex.h"

namespace docinfo {

namespace {

struct ShareLess {
  bool operator()(const String& a, const String& b) const noexcept {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.Length()), b.c_str(), static_cast<int>(b.Length()),
                                TRUE) == CSTR_LESS_THAN;
  }
};

// Static objects made at load: the set is used from any thread at any time.
ovut::CriticalSection g_lock;
std::set<IString, ShareLess> g_shares;

}  // namespace

String ShareOfPath(const String& path) noexcept {
  if (path.Length() < 2 || path.At(0) != L'\\' || path.At(1) != L'\\') return String();
  try {
    clsRegEx share(L"^(\\\\\\\\(?:.+?)\\\\(?:.+?))(\\\\.*|)$");
    clsRegExMatchList groups;
    if (!share.Exec(path, &groups) || groups.Count() < 2) return String();
    return clsRegEx::Match(groups, 1);
  } catch (...) {
    return String();
  }
}

bool ShareKnownInaccessible(const String& share) noexcept {
  try {
    ovut::AutoLock hold(g_lock);
    return g_shares.count(IString(share)) != 0;
  } catch (...) {
    return false;
  }
}

bool ProbeShareInaccessible(const String& share) noexcept {
  if (ShareKnownInaccessible(share)) return true;
  try {
    // The probe runs outside the lock: a share that does not answer may take the network's time.
    String root = share;
    root.Append(L"\\.");
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    ovut::AutoLock hold(g_lock);
    g_shares.insert(IString(share));
  } catch (...) {
  }
  return true;
}

}  // namespace docinfo
