#include "eval/ifcompo.hpp"

#include <string>

#include "control/reader.hpp"
#include "records/eval.hpp"
#include "support/word.hpp"

namespace kavren {

int ifcompo(std::string_view name) {
    // Only the first 8 characters take part; trailing blanks are cut.
    const Word8 buffer(name.substr(0, std::min<std::size_t>(name.size(), 8)));
    const int len = lenstr(buffer.view(), 8);
    const std::string_view key = buffer.view().substr(0, static_cast<std::size_t>(len));
    for (int i = 1; i <= b4.NUMVAR; ++i) {
        if (b3.SYMLEN(i) == len &&
            b2.SYMNAM(i).view().substr(0, static_cast<std::size_t>(len)) == key)
            return i;
    }
    return 0;
}

}  // namespace kavren
