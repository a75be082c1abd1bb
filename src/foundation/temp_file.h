// Creation of new, exclusively created temporary files with unique names.
#pragma once
#include <windows.h>

#include "foundation/string.h"

class clsFile;

namespace ovut {

// The library version in temporary-file names ("_19_").
constexpr int kTempFileVersion = 19;

enum : DWORD {
  kTempLongFolder = 0x1,       // the long form of the temporary folder when the prefix has no folder
  kTempPlainNameFirst = 0x2,   // try "<prefix>.<ext>" before numbered names
  kTempRandomAccess = 0x4,     // random-access hint instead of sequential scan
  kTempNoVersionPrefix = 0x10  // no "_19_" in front of the name part
};

// Creates a new file named <folder><_19_><name part><hex time-stamp counter>.<extension>, where
// `pathPrefix` is "<folder>\<name part>" or just a name part (then the temporary folder is used).
// A leading "." of the extension is dropped. Returns the full path, or an empty String with one
// "ERR: " debug line when no name could be created: at once for an error no other name can cure
// (invalid characters, missing folder, full disk), after 16 failures other than "name exists".
// Without `target` the file is created with normal attributes, closed and left in place. With a
// `target` it is a temporary file deleted when its handle closes, the target takes the handle,
// and a leftover of the same name older than 7 days is emptied and reused.
String CreateTempFile(const wchar_t* pathPrefix, const wchar_t* extension, DWORD flags,
                      clsFile* target = nullptr);

}  // namespace ovut
