// STUB: the expression evaluator and calculator arrive with the evaluator
// work; until then every way into it refuses its record with an error message.
#include "control/messages.hpp"
#include "eval/evaluator.hpp"

namespace kavren {

void initeval() {
    // STUB: no predefined variables until the evaluator exists.
}

bool evfield(int /*slot*/, double& value) {
    value = 0.0;
    ffldou(0, MSG_ERROR, "** EXPRESSION FIELDS ARE NOT AVAILABLE YET **");
    return false;
}

void evpack(std::string_view /*line*/) {
    ffldou(0, MSG_ERROR, "** CALCULATOR LINES ARE NOT AVAILABLE YET **");
}

int reval(int& /*luin*/) {
    ffldou(0, MSG_ERROR, "** EVAL IS NOT AVAILABLE YET **");
    return REVAL_REFUSED;
}

}  // namespace kavren
