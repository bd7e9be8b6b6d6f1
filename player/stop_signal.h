// Ctrl-C (SIGINT) and SIGTERM during a headless run: the signal is only recorded, so that a
// capture can end after the frame in hand, keep what it wrote and say why it stopped.
#pragma once

namespace vexil {

// Installs the handlers. Call before the platform layer starts: SDL then leaves these two
// signals alone instead of turning them into window events nobody reads in a capture.
void CatchStopSignals();

// A file-size limit (ulimit -f) ends the program with SIGXFSZ unless the signal is ignored;
// ignored, the write fails like one on a full disk and the capture says so.
void TreatFileSizeLimitAsWriteError();

// The first stop signal received since CatchStopSignals (SIGINT or SIGTERM), or 0.
int StopSignalReceived();

// "SIGINT", "SIGTERM", or "a signal" for any other.
const char* StopSignalName(int signal);

}  // namespace vexil
