// Debug prints of the mesh change routines: a routine's switch, registered
// with the debug facility at its first use, labelled prints of values and
// arrays, and the dialogs that show elements asked for by number.
#pragma once

#include <string_view>

#include "control/debug.hpp"

namespace kavren {

// The debug switch of one routine name. 1 turns the prints on for every
// element, -n only for element n.
class DebugSwitch {
  public:
    explicit constexpr DebugSwitch(const char* name) : name_(name) {}
    // The switch value; registers the name at the first call.
    int value();
    // The prints are on for element nel.
    bool on(int nel) { return debug_selects(value(), nel); }
    const char* name() const { return name_; }

  private:
    const char* name_;
    int irout_ = 0;
    int idbg_ = 0;
};

// Labelled prints through dbgprint (never holding the breakpoint dialog).
void dbg_int(std::string_view routine, std::string_view label, int v);
void dbg_real(std::string_view routine, std::string_view label, double v);
void dbg_ints(std::string_view routine, std::string_view label, const int* a, int n);
void dbg_reals(std::string_view routine, std::string_view label, const double* a, int n);
// The block (1..i2, 1..j2) of an array with leading dimension ld.
void dbg_block(std::string_view routine, std::string_view label, const double* a, int ld, int i2,
               int j2);
// A list-directed line of text, and of a text and a number.
void dbg_line(std::string_view text);
void dbg_line(std::string_view text, int v);

// Writes heading, then asks "SET NELP=?" and shows the slot ("NO") and the
// nicknames ("NODES") of the element read, until a number below 1 is read.
void nickname_dialog(std::string_view routine, std::string_view heading);
// The same, showing the dof counts ("LOC") and the first component of UNEW
// ("UELNEW") of an active element; 0 ends.
void dof_dialog(std::string_view routine, std::string_view heading);

}  // namespace kavren
