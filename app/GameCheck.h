// GameCheck: the content check. It runs start-up's content steps on the game in the working
// directory, with the game's own readers and bitmap loader on a display that needs no screen,
// goes on past every failure, and writes each problem as a finding, then a summary line that
// says how start-up would end.
#pragma once

#include <iosfwd>

// Exit codes of a check: nothing wrong, errors found, the check could not run.
constexpr int kCheckClean = 0;
constexpr int kCheckErrors = 1;
constexpr int kCheckCannotRun = 2;

// Findings and the summary go to `out`; why the check could not run goes to `err`.
int RunCheck(std::ostream& out, std::ostream& err);
