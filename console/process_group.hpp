// Whether the program's process group still has a shell that can bring it
// to the foreground.
#pragma once

namespace novemra {

// True when the process group is orphaned in the kernel's sense: no member's
// parent is in another process group of the same session, so no shell can
// fg it (its shell exited, or it was started as `(novemra &)`). Looked at
// through this process's line of parents; false when that cannot be read.
bool processGroupOrphaned();

}  // namespace novemra
