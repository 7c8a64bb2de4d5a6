// Drawings of the generator that later work brings: their stubs keep the
// record stream right until then.
#pragma once

namespace kavren {

// STUB: the generator drawings. graphm mode 0 reads its option record.
void graphm(int mode);
void graphn(int mode);

}  // namespace kavren
