#include "user/identify.hpp"

#include <cstdlib>
#include <fstream>
#include <string>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "support/format.hpp"
#include "support/word.hpp"

namespace kavren {

namespace identify_detail {

ShellRunner shell = [](const char* command) { return std::system(command); };

namespace {
bool g_user_known = false;  // the user name has been asked for in this run
Chars<16> g_user;           // the user name of the run
}  // namespace

void reset() {
    g_user_known = false;
    g_user = Chars<16>();
}

}  // namespace identify_detail

namespace {

constexpr const char* kTape = "TAPE10";

// Runs command (which writes into TAPE10) and reads back the first item of
// the file, list-directed, into 16 characters; false when the file holds none.
bool ask_shell(const char* command, Chars<16>& answer) {
    // The file is emptied first, so that a command that cannot run leaves no
    // older answer to be read.
    std::ofstream(kTape, std::ios::trunc).close();
    identify_detail::shell(command);
    std::ifstream in(kTape);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        std::string item;
        if (!fmt::read_list(line, {&item})) return false;
        answer = Chars<16>(item);
        return true;
    }
    return false;
}

}  // namespace

std::string user_stamp() {
    using namespace identify_detail;
    Chars<16> date, host;
    ask_shell("date --rfc-3339=date>TAPE10", date);
    if (!g_user_known) {
        g_user_known = true;
        if (!ask_shell("printenv UNAME>TAPE10", g_user)) {
            // The run goes on with a blank user name.
            g_user = Chars<16>();
            for (const char* l : {"-------------------------------------------",
                                  "| please, type: export UNAME=your_surname |",
                                  "| and:    restart program                 |",
                                  "-------------------------------------------"})
                write_terminal(fmt::list({l}));
        }
    }
    ask_shell("hostname>TAPE10", host);
    std::string line(48, ' ');
    line.replace(0, 12, date.view().substr(0, 12));
    line.replace(12, 12, g_user.view().substr(0, 12));
    line.replace(24, 12, host.view().substr(0, 12));
    return line;
}

void identify() {
    const std::string line = user_stamp();
    mmovt(20, 90);
    mtext(line, 36);
}

}  // namespace kavren
