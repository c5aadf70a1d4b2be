#pragma once
// Waiting while the event loop runs: incoming MIDI, timers and user input are
// handled during the wait, and the wait itself costs no CPU.

#include <functional>

namespace quillon {

// Returns after `ms` milliseconds, or earlier when endWaitsEarly() is called
// meanwhile; true in that case. Waits may nest (a handler that runs during one
// wait may wait itself); each returns at its own deadline or later.
bool waitInEventLoop(int ms);

// As waitInEventLoop, but also returns as soon as `done` holds. It is tested
// at the start and whenever recheckWaits() is called (after incoming MIDI).
bool waitInEventLoopUntil(int ms, const std::function<bool()>& done);
// Lets every running wait test its condition again; the others go on waiting.
void recheckWaits();

// Makes every wait running now return at once (a transfer was cancelled).
// Waits started afterwards keep their deadlines. GUI thread only.
void endWaitsEarly();

}  // namespace quillon
