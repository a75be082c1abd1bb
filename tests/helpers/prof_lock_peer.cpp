// Peer process for the save/load lock test: saves a profile whose items all carry one tag and
// loads the file back, in a loop; every load must see one whole profile (all items, one tag).
// Usage: prof_lock_peer FILE TAG ROUNDS. Exit code 0 when every load was whole.
#include <windows.h>

#include <cwchar>
#include <string>

#include "ovut19.h"
#include "support/prof_lock_round.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  int rounds = _wtoi(argv[3]);
  for (int i = 0; i < rounds; ++i)
    if (!proflock::SaveAndCheck(argv[1], argv[2])) return 1;
  return 0;
}
