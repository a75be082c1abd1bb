// Checks that memory can be read or written without faulting. Each returns true when the
// memory passes, when the check cannot be made (system function missing) and for a null
// pointer; a failed check is reported as UtilDebug lines. While a debugger is attached every
// check passes untested, so that the debugger's first-chance handling is left alone.
#pragma once
#include <windows.h>

namespace ovut::cstring {

bool IsReadable(const wchar_t* function, const void* pointer, const wchar_t* parameter, UINT bytes);
bool IsWritable(const wchar_t* function, void* pointer, const wchar_t* parameter, UINT bytes);
bool IsString(const wchar_t* function, const wchar_t* pointer, const wchar_t* parameter);
// Length of a text, testing each unit for readability before reading it. At an unreadable
// unit: reported, and the units read before it minus 1 (at least 0) are returned.
int SafeStrlen(const wchar_t* function, const wchar_t* text);
// Reports a parameter error of a host function.
void ParameterError(const wchar_t* function, const wchar_t* message);

}  // namespace ovut::cstring
