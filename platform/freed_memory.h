// How the process's allocator treats memory it gets back. A pass receives,
// cuts and decodes messages of up to megabytes one after another; handing
// each freed block back to the system only to fault fresh pages in for the
// next costs more than the parsing itself.
#pragma once

namespace platform {

// Freed blocks, large ones included, stay with the process for the next message.
void KeepFreedMemoryForReuse();

// Gives what is free back to the system, for when a pass is over and the
// program will sit idle in the tray.
void ReturnFreedMemory();

}  // namespace platform
