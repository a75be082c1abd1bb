#include "environment/folder_tokens.h"

#include <windows.h>

#include "environment/registry_values.h"
#include "foundation/regex.h"

namespace ovut::env {
namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Replaces one "%NAME%" by the shell folder of that name; unknown names stay as they stood.
class clsShellFolderReplace : public IclsRegExGSubCB {
 public:
  String Replacement(const clsRegExMatchList& matches) override {
    const scRegExMatch* group = matches.At(1);
    if (!group || group->start < 0) group = matches.At(0);
    const scRegExMatch* whole = matches.At(0);
    if (!group || !whole) return String();
    String folder;
    if (ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, group->text, folder) ||
        ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, group->text, folder))
      return folder;
    return whole->text;
  }
};

}  // namespace

String ExpandDefaultTokensOfFolderPath(const String& path) noexcept {
  try {
    if (path.FindChar(L'%') < 0) return path;
    // The expansion is cut at MAX_PATH characters.
    wchar_t expanded[MAX_PATH + 1] = L"";
    DWORD needed = ExpandEnvironmentStringsW(path, expanded, MAX_PATH);
    String text;
    if (needed == 0) {
      text = path;
    } else if (needed <= MAX_PATH) {
      text = expanded;
    } else {
      String full;
      wchar_t* buffer = full.GetBuffer(needed);
      DWORD got = ExpandEnvironmentStringsW(path, buffer, needed);
      buffer[got && got <= needed ? got - 1 : 0] = 0;
      full.ReleaseBuffer();
      text = full.Left(MAX_PATH);
    }
    clsRegEx pattern(L"%([A-Z0-9_ ]+)%");
    clsShellFolderReplace replace;
    return pattern.GSub(text, replace);
  } catch (...) {
    return path;
  }
}

}  // namespace ovut::env
