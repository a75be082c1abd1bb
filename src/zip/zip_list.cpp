// clsZIPFile::AppendList: the files of a directory, optionally with all sub-directories.
//
// The walk keeps its pending directories on a heap stack, not the call stack, so a deep tree
// cannot overflow it. Order: the files of a directory, then each sub-directory as a directory
// entry followed by everything below it, in the order of the directory search.
//
// Directories that are reparse points (junctions, symbolic links, mount points) are neither
// entered nor listed: a link to an ancestor would repeat the tree without end, and two such links
// double it at every level. A file reparse point is archived as the file it leads to.
#include <utility>
#include <vector>

#include "diagnostics/debug_output.h"
#include "foundation/scoped_handle.h"
#include "zip/zip_file.h"

using namespace ovut::zip;

namespace ovut::zip {
namespace {
WalkObserver g_walkObserver = nullptr;
}
void SetWalkObserver(WalkObserver observer) { g_walkObserver = observer; }
}  // namespace ovut::zip

namespace {

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

struct scPendingDirectory {
  String relative;  // sub-path below the base directory
  WIN32_FIND_DATAW found;
};

}  // namespace

void clsZIPFile::AppendList(const String& directory, const String& pattern, bool recursive) {
  std::vector<scPendingDirectory> pending;
  String relative;  // the top directory
  String mask = pattern.IsEmpty() ? String(L"*.*") : pattern;
  for (;;) {
    const String current = JoinPath(directory, relative);

    WIN32_FIND_DATAW found;
    ovut::UniqueFindHandle search(FindFirstFileW(JoinPath(current, mask).c_str(), &found));
    if (search) {
      do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const String path = JoinPath(current, found.cFileName);
        if (AppendFile(path, JoinPath(relative, found.cFileName), String()) == kSourceNotOpened)
          ovut::debug::Warning(L"WRN: ZIP: cannot open '%s'", path.c_str());
      } while (FindNextFileW(search.get(), &found));
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
      ovut::debug::Warning(L"WRN: ZIP: cannot list '%s' (%u)", current.c_str(), GetLastError());
    }
    search.reset();

    if (recursive) {
      std::vector<scPendingDirectory> children;
      ovut::UniqueFindHandle dirs(FindFirstFileW(JoinPath(current, L"*.*").c_str(), &found));
      if (dirs) {
        do {
          if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotOrDotDot(found.cFileName)) continue;
          if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            ovut::debug::Warning(L"WRN: ZIP: link '%s' not followed", JoinPath(current, found.cFileName).c_str());
            continue;
          }
          children.push_back({JoinPath(relative, found.cFileName), found});
        } while (FindNextFileW(dirs.get(), &found));
      }
      if (g_walkObserver) g_walkObserver(current);
      // Reversed onto the stack, so they come off in search order.
      for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(std::move(*it));
    }

    if (pending.empty()) return;
    scPendingDirectory next = std::move(pending.back());
    pending.pop_back();
    AppendDirectory(JoinPath(directory, next.relative), next.relative, next.found);
    relative = next.relative;
    mask = L"*.*";  // below the top directory every file counts
  }
}
