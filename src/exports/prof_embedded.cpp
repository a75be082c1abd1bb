// Stream, file and file-collection entry points: payload coding lives in
// profile/embedded_stream.h, collections in profile/embedded_files.h.
#include "exports/prof_guard.h"
#include "foundation/file.h"
#include "ovut19/prof_values.h"
#include "profile/embedded_files.h"
#include "profile/embedded_stream.h"

using namespace ovut::profile;

namespace {

bool IsHandle(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }

}  // namespace

extern "C" {

void WINAPI ProfAppendStreamW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, IStream* stream) {
  if (!stream) return;
  Guarded([&] {
    clsFileRO source(stream);
    AppendPayload(job, list, name, password, source);
  });
}
void WINAPI ProfAppendStreamA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, IStream* stream) {
  Guarded([&] { ProfAppendStreamW(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(password).Wide(), stream); });
}

int WINAPI ProfGetStreamW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, IStream* stream) {
  if (!stream) return 0;
  return Guarded<int>(kPayloadDamaged, [&] { return GetPayload(job, list, name, password, stream); });
}
int WINAPI ProfGetStreamA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, IStream* stream) {
  return Guarded<int>(kPayloadDamaged, [&] {
    return ProfGetStreamW(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(password).Wide(), stream);
  });
}

void WINAPI ProfAppendFileW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, HANDLE file) {
  if (!IsHandle(file)) return;
  Guarded([&] {
    clsFileRO source(file);  // a duplicate: the caller's handle stays open
    AppendPayload(job, list, name, password, source);
  });
}
void WINAPI ProfAppendFileA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, HANDLE file) {
  Guarded([&] { ProfAppendFileW(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(password).Wide(), file); });
}

int WINAPI ProfGetFileW(HPROFJOB job, HPROFLIST list, LPCWSTR name, LPCWSTR password, HANDLE file) {
  if (!IsHandle(file)) return 0;
  return Guarded<int>(kPayloadDamaged, [&] { return GetPayload(job, list, name, password, file); });
}
int WINAPI ProfGetFileA(HPROFJOB job, HPROFLIST list, LPCSTR name, LPCSTR password, HANDLE file) {
  return Guarded<int>(kPayloadDamaged, [&] {
    return ProfGetFileW(job, list, clsAnsiArg(name).Wide(), clsAnsiArg(password).Wide(), file);
  });
}

int WINAPI ProfAppendFilesW(HPROFJOB job, HPROFLIST list, LPCWSTR pattern, LPCWSTR password, INT_PTR) {
  return Guarded<int>(0, [&] { return AppendFiles(job, list, pattern, password); });
}
int WINAPI ProfAppendFilesA(HPROFJOB job, HPROFLIST list, LPCSTR pattern, LPCSTR password, INT_PTR) {
  return Guarded<int>(0, [&] {
    return AppendFiles(job, list, clsAnsiArg(pattern, true).Wide(), clsAnsiArg(password).Wide());
  });
}

int WINAPI ProfExtractFilesW(HPROFJOB job, HPROFLIST list, LPCWSTR folder, LPCWSTR password, INT_PTR) {
  return Guarded<int>(0, [&] { return ExtractFiles(job, list, folder, password); });
}
int WINAPI ProfExtractFilesA(HPROFJOB job, HPROFLIST list, LPCSTR folder, LPCSTR password, INT_PTR) {
  return Guarded<int>(0, [&] {
    return ExtractFiles(job, list, clsAnsiArg(folder, true).Wide(), clsAnsiArg(password).Wide());
  });
}

}  // extern "C"
