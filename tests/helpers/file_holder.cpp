// Peer process that holds a file open without sharing, as another program using a temporary file.
// Usage: file_holder FILE READY_EVENT RELEASE_EVENT. Opens FILE, signals READY_EVENT, closes the
// file when RELEASE_EVENT is signalled (at most 30 s later). Exit code 0, or 1 when FILE cannot be opened.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
  if (ready) SetEvent(ready);
  if (release) WaitForSingleObject(release, 30000);
  CloseHandle(file);
  return 0;
}
