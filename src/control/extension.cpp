#include "control/extension.hpp"

#include <string>

#include "control/messages.hpp"

namespace kavren {

namespace {

void announce(std::string_view text) {
    std::string line(" ");
    line.append(text);
    write_terminal(line);
    runtime_pause();
}

}  // namespace

void setparam1() {
    announce("IN fake SETPARAM1");
}
void setparam2() {
    announce("IN fake SETPARAM2");
}
void setbcs1() {
    announce("IN fake SETBCS1");
}
void setbcs2() {
    announce("IN fake SETBCS2");
}
void adapt() {
    announce("IN FAKE ADAPT");
}
void userdout() {
    announce("FAKE USERDOUT");
}
void userdin() {
    announce("FAKE USERDIN");
}

double userfn(int, int, double, double, double, double, const double*, const double*, const double*,
              int) {
    announce("FAKE USERFN");
    // No user point function is supplied: its quantity reads as 0.
    return 0.0;
}

void pickest(double*, int) {
    announce("IN FAKE PICKEST");
}
void pfactor(int, double& factor) {
    announce("IN FAKE PFACTOR");
    // No user factor is supplied: the indicator is the estimate itself.
    factor = 1.0;
}
void xgsave(int, int, int) {
    announce("IN FAKE XGSAVE");
}
void xgrest(int, int, int) {
    announce("IN FAKE XGREST");
}
void xghelp(std::string_view, int) {
    announce("IN FAKE XGHELP");
}
void errest() {
    announce("FAKE ERREST...");
}
void err2(const int*, const double*, const double*, double&) {
    announce("FAKE ERR2...");
}

}  // namespace kavren
