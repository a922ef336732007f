#pragma once
// The system's requests that the program stop (SIGTERM at logout, shutdown or `kill`;
// SIGINT from the terminal). Once caught, they no longer end the process on the spot:
// each becomes one Quit event of the window's stream, which ends the game as its own quit
// does (the player's files saved, the exit status 0), without the question the window's
// close button asks.

namespace platform {

// Catches SIGTERM and SIGINT from now on, but for one the program was started ignoring
// (as a shell starts a background job's SIGINT). Call it before a backend starts, so that
// none takes them for itself (SDL would make them a click on the close button).
void CatchStopRequests();

// True once for each stop requested since the last call. Safe to call at any time; the
// backends' event polls call it.
bool TakeStopRequest();

}  // namespace platform
