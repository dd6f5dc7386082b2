#pragma once

#include <iosfwd>
#include <memory>

// An open connection to the X display, closed when the last copy goes;
// empty when none could be opened.
using DisplayHold = std::shared_ptr<void>;

// The first look at the X display, before the drawing library, which aborts
// without one: over ssh or from cron the answer is a message on `err` naming
// the DISPLAY tried, not a crash.
//
// Keep the connection until the window is open. An X server that resets
// when its last client leaves (Xvfb's default, and so xvfb-run's) refuses
// new clients for a moment while it resets; the drawing library opens and
// closes connections of its own during start-up and aborts when one is
// refused. Held, this one is never the last to leave. A refusal of the
// first look itself (a server still resetting after an earlier client) is
// tried again for half a second.
DisplayHold holdDisplay(std::ostream& err);
