// The FSOUND_ entry points: argument checks, error codes, stream handles and the one sound
// system of the process (mixer and output driver). Calls are serialised by a mutex; real-time
// playback itself runs in the output driver's threads.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "byte_source.h"
#include "fsound/fsound.h"
#include "mixer.h"
#include "output.h"
#include "stream.h"
#include "system/file_lookup.h"

using vexil::fsound::Decoder;
using vexil::fsound::Mixer;
using vexil::fsound::Output;
using vexil::fsound::Stream;

namespace {

constexpr int kMinMixRate = 8000;
constexpr int kMaxMixRate = 192000;
constexpr int kMaxChannels = 1024;
constexpr int kAutodetectOutput = -1;

struct SoundSystem {
  std::mutex mutex;
  int output = kAutodetectOutput;
  bool initialised = false;
  // Declared in start-up order; Shutdown tears down in reverse.
  std::unique_ptr<Mixer> mixer;
  std::unique_ptr<Output> driver;  // picked from `output` at FSOUND_Init
  // Handles are numbers that are never reused, so a closed or stale handle is caught, not used.
  std::map<uintptr_t, std::shared_ptr<Stream>> streams;
  uintptr_t next_handle = 1;
  // Counts starts of the sound system, so a clock reader sees when its clock began anew.
  int epoch = 0;
  // Shift of everything scheduled on a real-time clock, in milliseconds (positive: later).
  int offset_ms = 0;

  ~SoundSystem() { Shutdown(); }

  void Shutdown() {
    if (driver) driver->Stop();
    driver.reset();
    streams.clear();
    mixer.reset();
    initialised = false;
  }
  void WakeDriver() {
    if (driver) driver->Wake();
  }
  // The clock frame at which a start, seek or pause asked for now is heard. The caller holds the
  // mixer's lock, so that the stamp cannot fall in frames a render takes meanwhile.
  int64_t DueLocked() {
    int64_t frame = 0;
    if (!driver || !driver->Clock(mixer->ReadClockLocked(), mixer->rate(), &frame)) return 0;
    if (driver->RealTime()) frame += static_cast<int64_t>(offset_ms) * mixer->rate() / 1000;
    return frame;
  }
};

SoundSystem& System() {
  static SoundSystem system;
  return system;
}

std::atomic<int> g_last_error{FMOD_ERR_NONE};

int Fail(int code) {
  g_last_error.store(code, std::memory_order_relaxed);
  return 0;
}

std::shared_ptr<Stream> Find(SoundSystem& system, FSOUND_STREAM* handle) {
  if (!system.initialised) {
    Fail(FMOD_ERR_UNINITIALIZED);
    return nullptr;
  }
  auto it = system.streams.find(reinterpret_cast<uintptr_t>(handle));
  if (it == system.streams.end()) {
    Fail(FMOD_ERR_INVALID_PARAM);
    return nullptr;
  }
  return it->second;
}

// Checks a channel argument; FSOUND_ALL passes when `all_allowed`.
bool CheckChannel(SoundSystem& system, int channel, bool all_allowed) {
  if (!system.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
  if (channel == FSOUND_ALL && all_allowed) return true;
  if (!system.mixer->ValidChannel(channel)) return Fail(FMOD_ERR_INVALID_PARAM);
  return true;
}

// Decodes `source` as a new stream of the mixer; the caller holds the system's lock.
FSOUND_STREAM* OpenOn(SoundSystem& system, std::unique_ptr<vexil::fsound::ByteSource> source,
                      unsigned mode) {
  int error = FMOD_ERR_NONE;
  auto decoder = Decoder::Open(std::move(source), mode, system.mixer->rate(), &error);
  if (!decoder) {
    Fail(error);
    return nullptr;
  }
  auto stream = std::make_shared<Stream>(std::move(decoder), mode, system.mixer->rate());
  const uintptr_t handle = system.next_handle++;
  system.streams.emplace(handle, stream);
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    system.mixer->AddStream(stream);
  }
  system.WakeDriver();  // decode ahead now, so that playing starts without a gap
  return reinterpret_cast<FSOUND_STREAM*>(handle);
}

}  // namespace

extern "C" {

float F_API FSOUND_GetVersion(void) {
  return FSOUND_VERSION;
}

int F_API FSOUND_GetError(void) {
  return g_last_error.load(std::memory_order_relaxed);
}

signed char F_API FSOUND_SetOutput(int outputtype) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (system.initialised) return Fail(FMOD_ERR_BUSY);
  if (outputtype < kAutodetectOutput || outputtype > FSOUND_OUTPUT_NOSOUND_NONREALTIME) {
    return Fail(FMOD_ERR_INVALID_PARAM);
  }
  system.output = outputtype;
  return 1;
}

int F_API FSOUND_GetOutput(void) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  return system.output;
}

signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int /*flags*/) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (system.initialised) return 1;
  if (mixrate < kMinMixRate || mixrate > kMaxMixRate || maxsoftwarechannels < 1 ||
      maxsoftwarechannels > kMaxChannels) {
    return Fail(FMOD_ERR_INVALID_PARAM);
  }
  system.mixer = std::make_unique<Mixer>(mixrate, maxsoftwarechannels);
  system.driver = vexil::fsound::MakeOutput(system.output);
  const int error = system.driver->Start(*system.mixer);
  if (error != FMOD_ERR_NONE) {
    system.driver.reset();
    system.mixer.reset();
    return Fail(error);
  }
  system.initialised = true;
  ++system.epoch;
  return 1;
}

void F_API FSOUND_Close(void) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  system.Shutdown();
}

int F_API FSOUND_GetOutputRate(void) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  return system.initialised ? system.mixer->rate() : 0;
}

int F_API FSOUND_GetMaxChannels(void) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  return system.initialised ? system.mixer->channel_count() : 0;
}

signed char F_API FSOUND_SetVolume(int channel, int vol) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!CheckChannel(system, channel, true)) return 0;
  if (vol < 0) vol = 0;
  if (vol > 255) vol = 255;
  Mixer& mixer = *system.mixer;
  std::lock_guard<std::mutex> mix_lock(mixer.mutex());
  for (int i = 0; i < mixer.channel_count(); ++i) {
    if (channel == FSOUND_ALL || channel == i) mixer.SetVolume(i, vol);
  }
  return 1;
}

int F_API FSOUND_GetVolume(int channel) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!CheckChannel(system, channel, false)) return 0;
  std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
  return system.mixer->Volume(channel);
}

signed char F_API FSOUND_SetPaused(int channel, signed char paused) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!CheckChannel(system, channel, true)) return 0;
  Mixer& mixer = *system.mixer;
  std::lock_guard<std::mutex> mix_lock(mixer.mutex());
  const int64_t due = system.DueLocked();
  for (int i = 0; i < mixer.channel_count(); ++i) {
    if (channel == FSOUND_ALL || channel == i) mixer.SetPaused(i, paused != 0, due);
  }
  return 1;
}

signed char F_API FSOUND_GetPaused(int channel) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!CheckChannel(system, channel, false)) return 0;
  std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
  return system.mixer->Paused(channel) ? 1 : 0;
}

signed char F_API FSOUND_IsPlaying(int channel) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!CheckChannel(system, channel, false)) return 0;
  std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
  return system.mixer->IsPlaying(channel) ? 1 : 0;
}

signed char F_API FSOUND_SetSFXMasterVolume(int volume) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!system.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
  if (volume < 0 || volume > 255) return Fail(FMOD_ERR_INVALID_PARAM);
  std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
  system.mixer->SetMasterVolume(volume);
  return 1;
}

int F_API FSOUND_GetSFXMasterVolume(void) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!system.initialised) return 0;
  std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
  return system.mixer->MasterVolume();
}

FSOUND_STREAM* F_API FSOUND_Stream_Open(const char* name_or_data, unsigned int mode, int offset,
                                        int length) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!system.initialised) {
    Fail(FMOD_ERR_UNINITIALIZED);
    return nullptr;
  }
  if (!name_or_data || offset < 0 || length < 0) {
    Fail(FMOD_ERR_INVALID_PARAM);
    return nullptr;
  }
  int error = FMOD_ERR_NONE;
  std::unique_ptr<vexil::fsound::ByteSource> source;
  if (mode & FSOUND_LOADMEMORY) {
    // `length` is the size of the whole block; `offset` skips a prefix of it.
    if (length == 0 || offset >= length) {
      Fail(FMOD_ERR_INVALID_PARAM);
      return nullptr;
    }
    source = vexil::fsound::MakeMemorySource(name_or_data + offset, length - offset);
    if (!source) error = FMOD_ERR_MEMORY;
  } else {
    // Names written on Windows (backslashes, any letter case) open as they did there.
    const std::string path = vexil::sys::LookUpFile(name_or_data).path;
    source = vexil::fsound::OpenFileSource(path.c_str(), offset, length, &error);
  }
  if (!source) {
    Fail(error);
    return nullptr;
  }
  return OpenOn(system, std::move(source), mode);
}

FSOUND_STREAM* VexilSound_Stream_OpenShared(const char* data, unsigned int mode, int length,
                                            void (*release)(void* context), void* context) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  int error = FMOD_ERR_NONE;
  if (!system.initialised) {
    error = FMOD_ERR_UNINITIALIZED;
  } else if (!data || length <= 0) {
    error = FMOD_ERR_INVALID_PARAM;
  }
  if (error != FMOD_ERR_NONE) {
    if (release) release(context);
    Fail(error);
    return nullptr;
  }
  auto source = vexil::fsound::MakeSharedMemorySource(data, length, release, context);
  if (!source) {
    Fail(FMOD_ERR_MEMORY);
    return nullptr;
  }
  return OpenOn(system, std::move(source), mode | FSOUND_LOADMEMORY);
}

int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return -1;
  int error = FMOD_ERR_NONE;
  int used = -1;
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    // A stream that played to its end starts again from the beginning.
    if (stream->Finished()) stream->RequestSeek(0);
    used = system.mixer->Play(channel, stream, system.DueLocked(), &error);
  }
  if (used < 0) {
    Fail(error);
    return -1;
  }
  system.WakeDriver();
  return used;
}

signed char F_API FSOUND_Stream_Stop(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return 0;
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    system.mixer->Stop(stream.get());
    stream->RequestSeek(0);
  }
  system.WakeDriver();
  return 1;
}

signed char F_API FSOUND_Stream_Close(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return 0;
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    system.mixer->RemoveStream(stream.get());
  }
  system.streams.erase(reinterpret_cast<uintptr_t>(handle));
  return 1;
}

signed char F_API FSOUND_Stream_SetTime(FSOUND_STREAM* handle, int ms) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return 0;
  if (ms < 0) return Fail(FMOD_ERR_INVALID_PARAM);
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    stream->RequestSeekMs(ms);
    system.mixer->Reschedule(stream.get(), system.DueLocked());
  }
  system.WakeDriver();
  return 1;
}

int F_API FSOUND_Stream_GetTime(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  return stream ? static_cast<int>(stream->PositionMs()) : 0;
}

int F_API FSOUND_Stream_GetLengthMs(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  return stream ? static_cast<int>(stream->LengthMs()) : 0;
}

signed char F_API FSOUND_Stream_SetPosition(FSOUND_STREAM* handle, unsigned int position) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return 0;
  {
    std::lock_guard<std::mutex> mix_lock(system.mixer->mutex());
    stream->RequestSeek(position);
    system.mixer->Reschedule(stream.get(), system.DueLocked());
  }
  system.WakeDriver();
  return 1;
}

unsigned int F_API FSOUND_Stream_GetPosition(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  return stream ? static_cast<unsigned int>(stream->PositionFrames()) : 0;
}

signed char F_API FSOUND_Stream_SetMode(FSOUND_STREAM* handle, unsigned int mode) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  if (!stream) return 0;
  stream->SetMode(mode);
  return 1;
}

unsigned int F_API FSOUND_Stream_GetMode(FSOUND_STREAM* handle) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto stream = Find(system, handle);
  return stream ? stream->Mode() : 0;
}

int VexilSound_RenderOffline(int16_t* out, int frames) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!system.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
  if (!out || frames < 0 || !system.driver->Render(out, frames)) {
    return Fail(FMOD_ERR_INVALID_PARAM);
  }
  return frames;
}

int VexilSound_GetClock(int64_t* frame, int* epoch) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  if (!frame) return Fail(FMOD_ERR_INVALID_PARAM);
  if (!system.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
  int64_t now = 0;
  if (!system.driver->Clock(system.mixer->ReadClock(), system.mixer->rate(), &now)) return 0;
  *frame = now;
  if (epoch) *epoch = system.epoch;
  return 1;
}

void VexilSound_SetClockOffset(int ms) {
  SoundSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  system.offset_ms = ms;
}

}  // extern "C"
