// Ghostscript over a PostScript text, in a scratch directory of its own: the
// judge of the plot files the end-to-end cases write.
#pragma once

#include <string>

#include "runner.hpp"

namespace kavren::e2e {

// Runs gs -q -dSAFER -dBATCH -dNOPAUSE with device_args on the text as plot.ps.
inline RunResult ghostscript(const std::string& postscript, const std::string& device_args) {
    Project p;
    p.write_config = false;
    p.files["plot.ps"] = postscript;
    return run_program("/bin/sh", p, 60,
                       {"-c", "gs -q -dSAFER -dBATCH -dNOPAUSE " + device_args + " plot.ps"});
}

}  // namespace kavren::e2e
