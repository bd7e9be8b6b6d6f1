// "fmod": the music module. Plays the demo's music as a looping stream, from a file or from
// a "raw" resource in memory, started at the matching position when its span begins.
#pragma once

#include <cstdint>
#include <memory>

#include "params/value.h"
#include "scenecore.h"

struct FSOUND_STREAM;

namespace effects {

// The sound library calls the music module makes. The default implementation forwards to the
// FSOUND_ functions; tests hand the module a fake to script failures and watch the calls.
class CSoundApi {
 public:
  virtual ~CSoundApi() = default;

  virtual float GetVersion() = 0;
  virtual bool Init(int mixRate, int maxSoftwareChannels, unsigned flags) = 0;
  virtual int GetError() = 0;
  virtual FSOUND_STREAM* StreamOpen(const char* nameOrData, unsigned mode, int offset,
                                    int length) = 0;
  // Opens a stream on `length` bytes in memory that it shares rather than copies. This one
  // copies them (StreamOpen with `mode`); the library's own keeps them until the stream closes.
  virtual FSOUND_STREAM* StreamOpenShared(std::shared_ptr<const uint8_t[]> bytes, int length,
                                          unsigned mode);
  virtual void StreamSetTime(FSOUND_STREAM* stream, int ms) = 0;
  virtual void StreamPlay(int channel, FSOUND_STREAM* stream) = 0;
  virtual void StreamStop(FSOUND_STREAM* stream) = 0;
  virtual void StreamClose(FSOUND_STREAM* stream) = 0;
  virtual void Close() = 0;
  // The pause between two attempts to start the library.
  virtual void Sleep(int ms) = 0;
};

// The process-wide FSOUND_ implementation.
CSoundApi& DefaultSoundApi();

class CFmodModule : public CModule {
 public:
  // Oldest sound library version the module works with.
  static constexpr float kMinVersion = 3.71f;
  static constexpr int kMixRate = 44100;
  static constexpr int kSoftwareChannels = 32;
  static constexpr unsigned kInitFlags = 0x02;  // FSOUND_INIT_GLOBALFOCUS
  static constexpr int kInitRetries = 10;
  static constexpr int kRetryPauseMs = 100;
  // Looping, accurate seeking; the memory variant adds FSOUND_LOADMEMORY.
  static constexpr unsigned kFileMode = 0x20132u;
  static constexpr unsigned kMemoryMode = 0x28132u;

  CFmodModule();
  // Plays through `sound` (not owned; it must outlive the module).
  explicit CFmodModule(CSoundApi* sound);

  // Starts the sound library and opens the stream; reports failures and stays silent then.
  // Binds the values; "filename" then declares what it names: a raw resource when "loadfrom"
  // is "memory", else a file.
  void Parse(TiXmlElement* element) override;
  void Init() override;
  // Seeks the stream to the module's own time (whole milliseconds) and plays it.
  void BeforeFirstRender() override;
  void AfterLastRender() override;
  // Stops and closes the stream and lets go of the sound library, which closes with the last
  // module that started it.
  void Free() override;

  // Null while no stream is open.
  FSOUND_STREAM* GetStream() const { return m_stream; }

 private:
  bool StartLibrary();
  void OpenFromMemory();

  CSoundApi* m_sound;
  // The music file's path, or with "loadfrom" "memory" the name of a "raw" resource.
  CValueString m_filename;
  // "memory" (any case) plays from the raw resource; anything else from the file.
  CValueString m_loadFrom;
  FSOUND_STREAM* m_stream = nullptr;
  bool m_libraryStarted = false;  // Init started the sound library; Free closes it once
};

}  // namespace effects
