// Ctrl-C (SIGINT) and SIGTERM, in every mode: the handler records the signal and wakes a
// watchdog thread; the loops that see the stop acknowledge it and clean up. The watchdog makes
// sure the process ends whatever a thread is stuck in:
//  - no acknowledgement within kStopAcknowledgeMs: the process ends at once;
//  - acknowledged: the cleanup gets kStopCleanupMs more, then the process ends;
//  - a second SIGINT or SIGTERM ends the process at once, from the handler itself.
// The process always ends with 128 + the signal's number (130 for SIGINT, 143 for SIGTERM).
#pragma once

namespace vexil {

// How long the loops have to notice a stop, and how long an orderly cleanup may take after.
constexpr int kStopAcknowledgeMs = 800;
constexpr int kStopCleanupMs = 3000;

// Installs the handlers and starts the watchdog. Call before the platform layer starts: SDL
// then leaves these two signals alone instead of turning them into window events.
void CatchStopSignals();

// A file-size limit (ulimit -f) ends the program with SIGXFSZ unless the signal is ignored;
// ignored, the write fails like one on a full disk and the capture says so.
void TreatFileSizeLimitAsWriteError();

// The first stop signal received since CatchStopSignals (SIGINT or SIGTERM), or 0.
int StopSignalReceived();

// Called by a loop that has seen StopSignalReceived() and begins its orderly cleanup.
void AcknowledgeStop();

// The exit status for a run that ends normally: 128 + the stop signal when one was received,
// else `status` unchanged.
int ExitStatusAfterStop(int status);

// Puts SIGINT and SIGTERM back to their defaults: for a forked child, which has no watchdog.
void RestoreDefaultStopSignals();

// "SIGINT", "SIGTERM", or "a signal" for any other.
const char* StopSignalName(int signal);

}  // namespace vexil
