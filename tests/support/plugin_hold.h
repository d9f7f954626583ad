#pragma once
// The real demultiplexer plugins beside the test programs are loaded and
// freed by every open. One reference held for the rest of the run (never
// closed, as in a program that keeps running) keeps them and the libraries
// they pull in mapped, so that their one-time allocations stay reachable
// instead of showing as leaks of unknown origin at exit.

namespace testsupport {

// Idempotent; plugins that were not built are skipped.
void HoldDemultiplexerPluginsLoaded();

}  // namespace testsupport
