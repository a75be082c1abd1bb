// Moving a path between its mapped-drive form (N:\dir\f.txt) and its UNC form
// (\\server\share\dir\f.txt). Both conversions normalise the path first (full path, "\.\"
// removed, ".." resolved).
#pragma once
#include "foundation/string.h"

namespace ovut::security {

// The full, canonical form of `path`; the input itself when it cannot be resolved within 260
// characters.
String NormalisePath(const wchar_t* path);

// 0 with the UNC form in `result` (a path without a drive letter comes back normalised); -1
// when the drive is not a network drive or the network call fails (`result` untouched).
int EnsureUNCPath(const wchar_t* path, String& result);

// 0 with the drive-letter form in `result` when the path lies on a share the user has
// connected to a drive, otherwise the normalised path; -1 when the connections cannot be listed.
int EnsureLocalPath(const wchar_t* path, String& result);

// The installer-script form of the results: `text` in the default code page with its zero into
// `buffer`. 0 copied; with a null buffer or a size of 0 or less the size needed (length + 1, so
// never 0); `size` itself when the text (without its zero) does not fit: nothing copied.
int CopyForWise(const String& text, char* buffer, int size);

}  // namespace ovut::security
