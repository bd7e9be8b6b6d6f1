/* Stream playback calls in the style of the FMOD 3.x FSOUND_ interface, which the music module
 * was written against. Decoding by libsndfile, output through SDL2 audio; plus a clearly marked
 * vexil extension for sample-exact offline rendering and WAV writing (capture mode). */
#ifndef VEXIL_FSOUND_FSOUND_H
#define VEXIL_FSOUND_FSOUND_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The original library used the standard-call convention on Windows; there is one convention here.
 */
#define F_API

/* Opaque stream handle. A closed handle is never reused: calls with it fail cleanly. */
typedef struct FSOUND_STREAM FSOUND_STREAM;

/* Error codes returned by FSOUND_GetError (same names and values as the original library). */
enum FMOD_ERRORS {
  FMOD_ERR_NONE = 0, /* No errors */
  FMOD_ERR_BUSY = 1, /* Cannot call this command after FSOUND_Init; call FSOUND_Close first */
  FMOD_ERR_UNINITIALIZED = 2,    /* FSOUND_Init was not called */
  FMOD_ERR_INIT = 3,             /* Error initializing output device */
  FMOD_ERR_ALLOCATED = 4,        /* The output device is already in use */
  FMOD_ERR_PLAY = 5,             /* Playing the sound failed */
  FMOD_ERR_OUTPUT_FORMAT = 6,    /* Output cannot do 16-bit stereo */
  FMOD_ERR_COOPERATIVELEVEL = 7, /* Error setting cooperative level for hardware */
  FMOD_ERR_CREATEBUFFER = 8,     /* Error creating hardware sound buffer */
  FMOD_ERR_FILE_NOTFOUND = 9,    /* File not found */
  FMOD_ERR_FILE_FORMAT = 10,     /* Unknown file format */
  FMOD_ERR_FILE_BAD = 11,        /* Error loading file */
  FMOD_ERR_MEMORY = 12,          /* Not enough memory */
  FMOD_ERR_VERSION = 13,         /* The version number of this file format is not supported */
  FMOD_ERR_INVALID_PARAM = 14,   /* An invalid parameter was passed to this function */
  FMOD_ERR_NO_EAX = 15,          /* EAX command on a non-EAX channel or output */
  FMOD_ERR_CHANNEL_ALLOC = 16,   /* Failed to allocate a new channel */
  FMOD_ERR_RECORD = 17,          /* Recording not supported on this device */
  FMOD_ERR_MEDIAPLAYER = 18      /* Required Mediaplayer codec is not installed */
};

/* Output types for FSOUND_SetOutput. Only the ones that mean something here are honoured:
 * NOSOUND (no device, streams never advance), NOSOUND_NONREALTIME (offline: the caller pulls the
 * mix with VexilSound_RenderOffline), and any other value or -1 (autodetect) picks SDL's device. */
enum FSOUND_OUTPUTTYPES {
  FSOUND_OUTPUT_NOSOUND = 0,
  FSOUND_OUTPUT_WINMM = 1,
  FSOUND_OUTPUT_DSOUND = 2,
  FSOUND_OUTPUT_A3D = 3,
  FSOUND_OUTPUT_OSS = 4,
  FSOUND_OUTPUT_ESD = 5,
  FSOUND_OUTPUT_ALSA = 6,
  FSOUND_OUTPUT_ASIO = 7,
  FSOUND_OUTPUT_XBOX = 8,
  FSOUND_OUTPUT_PS2 = 9,
  FSOUND_OUTPUT_MAC = 10,
  FSOUND_OUTPUT_GC = 11,
  FSOUND_OUTPUT_PSP = 12,
  FSOUND_OUTPUT_NOSOUND_NONREALTIME = 13
};

/* FSOUND_Init flags. They tune Windows output behaviour and are accepted and ignored here. */
#define FSOUND_INIT_USEDEFAULTMIDISYNTH 0x01
#define FSOUND_INIT_GLOBALFOCUS 0x02
#define FSOUND_INIT_ENABLESYSTEMCHANNELFX 0x04
#define FSOUND_INIT_ACCURATEVULEVELS 0x08

/* Stream mode bits. The sample-format bits (8/16 bits, mono/stereo, signed) describe headerless
 * data only; files with a header play in their own format. */
#define FSOUND_LOOP_OFF 0x00000001
#define FSOUND_LOOP_NORMAL 0x00000002
#define FSOUND_LOOP_BIDI 0x00000004 /* streams cannot play backwards: loops like LOOP_NORMAL */
#define FSOUND_8BITS 0x00000008
#define FSOUND_16BITS 0x00000010
#define FSOUND_MONO 0x00000020
#define FSOUND_STEREO 0x00000040
#define FSOUND_UNSIGNED 0x00000080
#define FSOUND_SIGNED 0x00000100
#define FSOUND_2D 0x00002000
#define FSOUND_STREAMABLE 0x00004000
#define FSOUND_LOADMEMORY 0x00008000 /* name_or_data is a memory block of `length` bytes */
#define FSOUND_LOADRAW 0x00010000    /* headerless PCM described by the format bits */
#define FSOUND_MPEGACCURATE 0x00020000
#define FSOUND_FORCEMONO 0x00040000
#define FSOUND_NORMAL (FSOUND_16BITS | FSOUND_SIGNED | FSOUND_MONO)

/* Channel selectors. */
#define FSOUND_FREE (-1) /* FSOUND_Stream_Play: pick a free channel */
#define FSOUND_ALL (-3)  /* FSOUND_SetVolume / FSOUND_SetPaused: every channel */

/* Version of the interface this layer provides (at least what the music module needs). */
#define FSOUND_VERSION 3.75f

/* ---- Set-up (before FSOUND_Init) ---- */
signed char F_API FSOUND_SetOutput(int outputtype);
int F_API FSOUND_GetOutput(void);

/* ---- Initialisation ---- */
float F_API FSOUND_GetVersion(void);
/* mixrate: 8000..192000 Hz; maxsoftwarechannels: 1..1024; flags: FSOUND_INIT_*. Calling it
 * again while initialised succeeds and keeps the running set-up and streams. */
signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
void F_API FSOUND_Close(void);
int F_API FSOUND_GetError(void);
int F_API FSOUND_GetOutputRate(void);
int F_API FSOUND_GetMaxChannels(void);

/* ---- Channels ---- */
signed char F_API FSOUND_SetVolume(int channel, int vol); /* 0..255 */
int F_API FSOUND_GetVolume(int channel);
signed char F_API FSOUND_SetPaused(int channel, signed char paused);
signed char F_API FSOUND_GetPaused(int channel);
signed char F_API FSOUND_IsPlaying(int channel);
signed char F_API FSOUND_SetSFXMasterVolume(int volume); /* 0..255 */
int F_API FSOUND_GetSFXMasterVolume(void);

/* ---- Streams ---- */
/* Opens a stream from a path, or with FSOUND_LOADMEMORY from `length` bytes at name_or_data
 * (the bytes are copied: the caller may free them at once). `offset` skips bytes at the start;
 * for a file, a positive `length` limits the stream to that many bytes after `offset`.
 * Returns null on failure (FSOUND_GetError tells why). */
FSOUND_STREAM* F_API FSOUND_Stream_Open(const char* name_or_data, unsigned int mode, int offset,
                                        int length);
/* Plays on `channel` (or FSOUND_FREE); returns the channel used, or -1. */
int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
/* Stops playback and rewinds the stream to its start. */
signed char F_API FSOUND_Stream_Stop(FSOUND_STREAM* stream);
signed char F_API FSOUND_Stream_Close(FSOUND_STREAM* stream);
/* Position in milliseconds; past the end, a looping stream wraps and another one ends. */
signed char F_API FSOUND_Stream_SetTime(FSOUND_STREAM* stream, int ms);
int F_API FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
int F_API FSOUND_Stream_GetLengthMs(FSOUND_STREAM* stream);
/* Position and length in PCM frames at the stream's own sample rate. */
signed char F_API FSOUND_Stream_SetPosition(FSOUND_STREAM* stream, unsigned int position);
unsigned int F_API FSOUND_Stream_GetPosition(FSOUND_STREAM* stream);
signed char F_API FSOUND_Stream_SetMode(FSOUND_STREAM* stream, unsigned int mode);
unsigned int F_API FSOUND_Stream_GetMode(FSOUND_STREAM* stream);

/* ======================================================================================
 * vexil extension — not part of the original interface.
 * Offline rendering for capture: call FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME)
 * before FSOUND_Init; no device is opened and no feeder thread runs. Each call of
 * VexilSound_RenderOffline then decodes and mixes exactly `frames` stereo frames at the mix
 * rate, the same mix real-time playback produces, so a capture's audio is sample-exact with
 * its pictures whatever speed it renders at. For video frame k at `fps`, pull
 * floor((k + 1) * rate / fps) - floor(k * rate / fps) frames: no rounding drift accumulates.
 * ====================================================================================== */

/* Mixes `frames` interleaved 16-bit stereo frames into `out` (silence where nothing plays).
 * Returns the frames written: `frames`, or 0 (and FSOUND_GetError set) when not initialised in
 * offline mode or the arguments are invalid. */
int VexilSound_RenderOffline(int16_t* out, int frames);

/* Opens a stream on `length` bytes at `data` without copying them, for an owner that keeps
 * the music in memory anyway (FSOUND_LOADMEMORY would hold it twice). The bytes must stay
 * unchanged until the stream lets go of them: it calls release(context) once then, after
 * FSOUND_Stream_Close or FSOUND_Close, from whichever thread drops the stream last (on failure
 * before this returns). release must not call back into the sound layer; it may be null.
 * `mode` as for FSOUND_Stream_Open; FSOUND_LOADMEMORY is implied. */
FSOUND_STREAM* VexilSound_Stream_OpenShared(const char* data, unsigned int mode, int length,
                                            void (*release)(void* context), void* context);

/* Writes `frames` interleaved 16-bit stereo frames as a 44100 Hz PCM WAV file. Returns 1 on
 * success, 0 on failure (VexilSound_WavError tells why). */
int VexilSound_WriteWav(const char* path, const int16_t* samples, long frames);

/* Streaming WAV writer (16-bit stereo): the header is kept valid after every write, so an
 * interrupted capture still leaves a playable file. */
typedef struct VexilWavWriter VexilWavWriter;
VexilWavWriter* VexilSound_WavOpen(const char* path, int sample_rate);
/* The same on a descriptor the caller opened and keeps (closing the writer leaves it open). */
VexilWavWriter* VexilSound_WavOpenFd(int fd, int sample_rate);
int VexilSound_WavWrite(VexilWavWriter* writer, const int16_t* samples, long frames);
int VexilSound_WavClose(VexilWavWriter* writer); /* returns 1 when everything was written */
/* Text of the last WAV writer failure in this thread ("" when none). */
const char* VexilSound_WavError(void);

/* ======================================================================================
 * vexil extension — the playback clock, for pictures that follow the music.
 * The mixer counts the frames it renders; on a real-time device that count, projected to the
 * present between two device callbacks, is the clock that the music plays by. Every stream
 * start, seek and pause is stamped with the clock at the moment of the call (plus the offset
 * below) and heard exactly there: a stream that falls behind its schedule skips ahead, so the
 * music never drifts from the clock, whatever pace the device keeps. A picture timed by
 * VexilSound_GetClock therefore stays with the music for as long as it plays.
 * ====================================================================================== */

/* Sets *frame to the clock, in frames at the mix rate, and *epoch (may be null) to a number
 * that changes whenever the sound system starts again (its clock then starts at 0). Returns 1;
 * 0 when the system is not initialised or its output has no clock (FSOUND_OUTPUT_NOSOUND).
 * Offline, the clock is the number of frames rendered so far. */
int VexilSound_GetClock(int64_t* frame, int* epoch);

/* Schedules real-time starts, seeks and pauses `ms` milliseconds later than the clock says
 * (earlier when negative), to make up for the sound device's and the display's latency. Kept
 * across FSOUND_Close and FSOUND_Init; offline rendering ignores it. */
void VexilSound_SetClockOffset(int ms);

#ifdef __cplusplus
}
#endif

#endif /* VEXIL_FSOUND_FSOUND_H */
