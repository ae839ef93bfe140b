// Moving a zero-terminated text whose length is not known yet, as the field cut of ASCII exports
// does with the rest of a text (often into its own buffer, a few bytes toward the front). A scan for
// the terminator followed by a move would read the text twice; here each block is moved right after
// it was scanned, while it is still in the cache.
#pragma once

#include <cstddef>

namespace ovs {

// Moves text, terminator included, to `to` (which may overlap it) and returns the bytes moved.
size_t MoveTerminated(char* to, const char* text);

} // namespace ovs
