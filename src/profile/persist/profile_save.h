// Saving a profile job: the tree writer into a stream with pre-sizing, the packed "ZLeZ"
// container, files (serialised in memory first, written under the byte-0 lock) and the
// clipboard.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "profile/job.h"

class clsFile;

namespace ovut::persist {

constexpr int kSavePacked = 64;          // write the packed container
constexpr int kSavePackedIfLoaded = 128;  // ... when the job was loaded packed

// Form of the save flags: 0 INI, 2 XFDF, anything else XML.
int FormOfFlags(int flags) noexcept;
bool WantsPacked(const clsProfJob& job, int flags) noexcept;

// Writes the job's profile into `target` from offset 0 and cuts it after what was written
// (an empty root list leaves it empty); packed when the flags ask for it. 0, or -4.
int WriteProfile(clsProfJob& job, clsFile& target, int flags);

int SaveToFile(clsProfJob& job, const wchar_t* name, int flags) noexcept;      // 0 or -3
int SaveToStream(clsProfJob& job, IStream* stream, int flags) noexcept;        // 0 or -4
int SaveToClipboard(clsProfJob& job, HWND window, int flags) noexcept;         // 0, -3, -4, -8

}  // namespace ovut::persist
