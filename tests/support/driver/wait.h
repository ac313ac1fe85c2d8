// Polling waits of the end-to-end tests: the program runs in another process,
// so the tests look again and again until what they expect shows up.
#pragma once

#include <functional>

namespace e2e {

// Default time the program gets to show something (a window, a box, a row).
constexpr unsigned kDefaultTimeoutMs = 10000;

// Calls done() every pollMs milliseconds until it returns true (result true)
// or timeoutMs has passed (result false). done() runs at least once.
bool WaitFor(const std::function<bool()>& done, unsigned timeoutMs = kDefaultTimeoutMs,
             unsigned pollMs = 25);

// Sleeps; for the few places where nothing can be polled (letting input settle).
void Pause(unsigned ms);

}  // namespace e2e
