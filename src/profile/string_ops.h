// Text values by path: the wide core shared by the string exports and the typed accessors.
// Job handles are resolved through the job table; NULL names are the empty name.
#pragma once
#include "profile/job.h"

namespace ovut::profile {

// A new job; with a file name the file is opened and loaded (job_open.h). 0 when out of memory.
ProfHandle OpenJob(const wchar_t* fileName, bool exclusive) noexcept;

// The buffer first gets the default (unless it is the default), cut to size - 1 units. Then
// 0 for an invalid job, -6 when no value item is found, else the units copied (at most
// size - 1), or the value's length when size is 0 or buffer is NULL.
int GetString(ProfHandle job, ProfHandle list, const wchar_t* name, wchar_t* buffer, int size,
              const wchar_t* defaultText) noexcept;
// Length of the value in units, -6 when not found, 0 for an invalid job.
int GetStringLength(ProfHandle job, ProfHandle list, const wchar_t* name) noexcept;
// Append: always a new value item. Set: the first value item of that name, or a new one.
void WriteString(ProfHandle job, ProfHandle list, const wchar_t* name, const wchar_t* value, bool append) noexcept;

}  // namespace ovut::profile
