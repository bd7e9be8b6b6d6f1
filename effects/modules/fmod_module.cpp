// "fmod" music module: starts the sound library, opens the music stream from a file or from a
// "raw" resource, and plays it in step with the module's span through the FSOUND_ calls.
#include "fmod_module.h"

#include <strings.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>

#include "effect_messages.h"
#include "fsound/fmod_errors.h"
#include "fsound/fsound.h"
#include "resources/raw_resource.h"
#include "resources/script_files.h"
#include "system/message_box.h"

namespace effects {

namespace {

// The sound library is one per process while music modules come and go: a player that reloads
// a demo builds the new demo's music module before it frees the old one. So the library is
// closed when the last module that started it lets go, not by the first one freed.
class CFsoundApi : public CSoundApi {
 public:
  float GetVersion() override { return FSOUND_GetVersion(); }
  bool Init(int mixRate, int maxSoftwareChannels, unsigned flags) override {
    if (FSOUND_Init(mixRate, maxSoftwareChannels, flags) == 0) return false;
    ++m_users;
    return true;
  }
  int GetError() override { return FSOUND_GetError(); }
  FSOUND_STREAM* StreamOpen(const char* nameOrData, unsigned mode, int offset,
                            int length) override {
    return FSOUND_Stream_Open(nameOrData, mode, offset, length);
  }
  FSOUND_STREAM* StreamOpenShared(std::shared_ptr<const uint8_t[]> bytes, int length,
                                  unsigned mode) override {
    using Keeper = std::shared_ptr<const uint8_t[]>;
    auto* keeper = new Keeper(std::move(bytes));
    return VexilSound_Stream_OpenShared(
        reinterpret_cast<const char*>(keeper->get()), mode, length,
        [](void* held) { delete static_cast<Keeper*>(held); }, keeper);
  }
  void StreamSetTime(FSOUND_STREAM* stream, int ms) override { FSOUND_Stream_SetTime(stream, ms); }
  void StreamPlay(int channel, FSOUND_STREAM* stream) override {
    FSOUND_Stream_Play(channel, stream);
  }
  void StreamStop(FSOUND_STREAM* stream) override { FSOUND_Stream_Stop(stream); }
  void StreamClose(FSOUND_STREAM* stream) override { FSOUND_Stream_Close(stream); }
  void Close() override {
    if (m_users > 0 && --m_users > 0) return;
    FSOUND_Close();
  }
  void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

 private:
  int m_users = 0;  // modules that started the library and have not closed it yet
};

// Whole milliseconds toward zero; times beyond the int range (never reached by a real demo)
// are held at its edges instead of overflowing.
int TruncateMs(float ms) {
  if (std::isnan(ms)) return 0;
  if (ms <= static_cast<float>(INT_MIN)) return INT_MIN;
  if (ms >= static_cast<float>(INT_MAX)) return INT_MAX;
  return static_cast<int>(ms);
}

}  // namespace

FSOUND_STREAM* CSoundApi::StreamOpenShared(std::shared_ptr<const uint8_t[]> bytes, int length,
                                           unsigned mode) {
  return StreamOpen(reinterpret_cast<const char*>(bytes.get()), mode, 0, length);
}

CSoundApi& DefaultSoundApi() {
  static CFsoundApi api;
  return api;
}

CFmodModule::CFmodModule() : CFmodModule(&DefaultSoundApi()) {}

CFmodModule::CFmodModule(CSoundApi* sound)
    : CModule(0.0f, 0.0f, 0), m_sound(sound), m_filename(""), m_loadFrom("") {
  AddValue(&m_filename, "filename", EValueRefers::File);
  AddValue(&m_loadFrom, "loadfrom");
}

void CFmodModule::Parse(TiXmlElement* element) {
  CModule::Parse(element);
  const bool fromMemory = strcasecmp(static_cast<const char*>(m_loadFrom), "memory") == 0;
  m_filename.SetRefers(fromMemory ? EValueRefers::Resource : EValueRefers::File);
}

bool CFmodModule::StartLibrary() {
  if (m_sound->Init(kMixRate, kSoftwareChannels, kInitFlags)) return true;
  // Another program may still be letting go of the output device: give it a second.
  for (int retry = 0; retry < kInitRetries; ++retry) {
    m_sound->Sleep(kRetryPauseMs);
    if (m_sound->Init(kMixRate, kSoftwareChannels, kInitFlags)) return true;
  }
  ShowEffectMessage(FMOD_ErrorString(m_sound->GetError()), kCaptionError, MB_ICONERROR);
  return false;
}

void CFmodModule::Init() {
  // A library too old for accurate stream seeking leaves the demo silent, as it always has.
  if (m_sound->GetVersion() < kMinVersion) return;
  if (!StartLibrary()) return;
  m_libraryStarted = true;

  const std::string loadFrom = static_cast<const char*>(m_loadFrom);
  if (strcasecmp(loadFrom.c_str(), "memory") == 0) {
    OpenFromMemory();
  } else {
    const std::string path = static_cast<const char*>(m_filename);
    const vexil::sys::FileLookup file = FindScriptFile(this, path.c_str());
    m_stream = m_sound->StreamOpen(file.path.c_str(), kFileMode, 0, 0);
    if (!m_stream) {
      const char* why = FMOD_ErrorString(m_sound->GetError());
      std::fprintf(stderr, "fmod: cannot play \"%s\": %s; the music stays silent\n", path.c_str(),
                   why);
      ReportUnusableFile(this, file, "the music \"" + path + "\" cannot be played: " + why);
    }
  }
}

void CFmodModule::OpenFromMemory() {
  const std::string name = static_cast<const char*>(m_filename);
  CResourceManager* resources = m_pDemoDevice ? m_pDemoDevice->GetResourceManager() : nullptr;
  CResource* resource = resources ? resources->GetResource(name.c_str()) : nullptr;
  // Playing bytes of some other resource type would read memory that is not a sound file.
  auto* raw = dynamic_cast<CRawResource*>(resource);
  if (!raw) {
    const std::string text = (resource ? "The resource \"" + name + "\" is not a \"raw\" resource"
                                       : "No \"raw\" resource named \"" + name + "\"") +
                             " holds the music; the demo plays without it.";
    ShowEffectMessage(text.c_str(), kCaptionVexilError, MB_OK);
    return;
  }
  // A raw resource whose file could not be read has already said so.
  if (!raw->GetData()) return;
  // The stream reads the resource's own bytes, which it keeps should the resource go first.
  m_stream = m_sound->StreamOpenShared(raw->ShareData(), raw->GetSize(), kMemoryMode);
  if (!m_stream) {
    const char* why = FMOD_ErrorString(m_sound->GetError());
    std::fprintf(stderr, "fmod: cannot play the resource \"%s\": %s; the music stays silent\n",
                 name.c_str(), why);
    ReportForCheck(this, "the music in the resource \"" + name + "\" cannot be played: " + why);
  }
}

void CFmodModule::BeforeFirstRender() {
  if (!m_stream) return;
  // Started in the middle of its span (a later start time), the music joins at that point.
  m_sound->StreamSetTime(m_stream, TruncateMs(GetTime()));
  m_sound->StreamPlay(0, m_stream);
}

void CFmodModule::AfterLastRender() {
  if (m_stream) m_sound->StreamStop(m_stream);
}

void CFmodModule::Free() {
  if (m_stream) {
    m_sound->StreamStop(m_stream);
    m_sound->StreamClose(m_stream);
    m_stream = nullptr;
  }
  // Only a module that started the library closes it: others may still be playing through it.
  if (m_libraryStarted) m_sound->Close();
  m_libraryStarted = false;
  CModule::Free();
}

}  // namespace effects
