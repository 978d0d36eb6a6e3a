// Whether the user has asked the viewer to stop (the window closed, or a stop
// signal) while it is still starting up and not yet taking messages.
#pragma once

// Looks at the message queue without taking anything off it: true when a close
// command or the quit message is waiting.
bool StopRequested();
