// Memory that holds passwords must not reach a core file: a crash of this
// process writes none, and no other process of the user may read its memory
// through a debugger's attach.
#pragma once

namespace platform {

// Sets the core size limit to zero and marks the process not dumpable.
// Answers false when the system refused either.
bool ForbidCoreDumps();

}  // namespace platform
