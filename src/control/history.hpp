#pragma once

namespace kavren {

// The command "H": lists the history, or starts a replay of its first lines.
void history();

}  // namespace kavren
