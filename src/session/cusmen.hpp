#pragma once

namespace kavren {

// Appends the EXECUTE driver's menu to the menu table.
void cusmen();

}  // namespace kavren
