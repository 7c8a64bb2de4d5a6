// The one definition of the plot records.
#include "records/plot.hpp"

namespace kavren {

Clegend clegend;
Cgraph cgraph;
Cgrafs cgrafs;
Cartco cartco;
Cxyplot cxyplot;

}  // namespace kavren
