// Levels and drawings of the generator that later work brings: their stubs
// keep the record stream right until then.
#pragma once

namespace kavren {

// STUB: the curve levels (ARC, ELLIPSE) and CONNECT, REFLECT, TIE.
void arc(int& iblockn);
void ellips(int& iblockn);
void connect(int& iblockn);
void reflect();
void tie();
// STUB: the generator drawings. graphm mode 0 reads its option record.
void graphm(int mode);
void graphn(int mode);

}  // namespace kavren
