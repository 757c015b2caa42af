// Waiting on the event loop for something to happen, with a deadline: for
// tests and benchmarks that drive sockets in one thread.
#pragma once

#include <functional>

namespace testclient {

/*! Runs the event loop until done() is true (checked after every batch of
    events) or timeoutMs have passed. Returns done()'s last value. */
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 10000);

} // namespace testclient
