// Seam for the crash-report subsystem: what happens when an attached stream cannot be cut.
#include "foundation/file.h"

namespace ovut::file {

// The caller has already written the "ERR:" line. The minidump writer belongs to the crash
// reports; once it exists this writes a dump and, only when the UI-interaction policy allows a
// box, shows the dump's file name (caption "DUMP FILE CREATED", error icon). Until then nothing
// more happens: a box nobody can answer would hang unattended hosts and tests.
void WriteStreamFailureDump(const String& reason) { (void)reason; }

}  // namespace ovut::file
