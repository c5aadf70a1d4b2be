#pragma once
// Waiting while the event loop runs: incoming MIDI, timers and user input are
// handled during the wait, and the wait itself costs no CPU.

namespace quillon {

// Returns after `ms` milliseconds. Waits may nest (a handler that runs during
// one wait may wait itself); each returns at its own deadline or later.
void waitInEventLoop(int ms);

}  // namespace quillon
