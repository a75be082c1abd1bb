// Loading a profile job from a file object: the byte-0 lock, format detection by the first
// bytes (packed container, UTF-16 XML or INI, 8-bit XFDF or INI, named-root INI) and the text
// reader. Format errors are reported on the debug channel and leave job.lastError at -7.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "profile/job.h"

class clsFile;

namespace ovut::persist {

// True when the content was read; what was read before a format error stays in the tree.
bool LoadProfile(clsProfJob& job, clsFile& file);

// A new registered job over a stream (kept for the job's life), its root named after `name`
// ("[Report]" names it "Report") and read at `level` - 1. 0 only when out of memory.
ProfHandle OpenStreamJob(IStream* stream, const wchar_t* name, int level) noexcept;
// A new job filled from the clipboard's profile data (-1 when there is none).
ProfHandle OpenClipboardJob(HWND window) noexcept;
bool ClipboardHasProfile() noexcept;
UINT ProfileClipboardFormat() noexcept;  // "ZelProfCBFormat"

}  // namespace ovut::persist
