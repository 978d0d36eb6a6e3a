// Ctrl+C in the terminal and SIGTERM reach the program as a close request of
// its windows, so that it shuts down in full instead of dying mid-frame.
#pragma once

// Installs the handlers for SIGINT and SIGTERM. A second signal before the
// first was handled ends the process at once.
void InstallSignalRelay();

// True once per received signal; clears the mark.
bool TakeSignalRequest();
