// The ways a terminal, a desktop or a process manager stops a program reach it
// as a close request of its windows, so that it shuts down in full instead of
// dying mid-frame: SIGINT (Ctrl+C), SIGTERM, SIGHUP (the terminal closed) and
// SIGQUIT. Repeats within two seconds of the first request count as the same
// request (coreutils timeout, for one, sends SIGTERM twice at once). A repeat
// after that ends the program at once, with exit status 128 + the signal's
// number, after removing the files it made (see platform/files/OwnedFiles.h).
// SIGPIPE is ignored: a diagnostic that cannot be written is dropped.
#pragma once

void InstallSignalRelay();

// True once per request; clears the mark.
bool TakeSignalRequest();
