#pragma once

#include <iosfwd>

// Whether an X display can be opened, asked before the drawing library,
// which aborts without one: over ssh or from cron the answer is a message on
// `err` naming the DISPLAY tried, not a crash.
bool displayOpens(std::ostream& err);
