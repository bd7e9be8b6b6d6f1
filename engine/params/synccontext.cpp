// Tempo, rows and the sync tracks of a demo.
#include "params/synccontext.h"

#include <errno.h>
#include <strings.h>
#include <tinyxml.h>
#include <unistd.h>

#include <cmath>

#include "params/scripttext.h"
#include "script/widgetmanager.h"
#include "system/regular_file.h"
#include "timeline/module.h"

namespace {

std::string Join(const std::string& folder, const std::string& path) {
  if (path.empty() || path[0] == '/' || folder.empty()) return path;
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

// The whole file, unless it is missing, no regular file (a named pipe would block the demo),
// unreadable or larger than `limit`.
bool ReadSmallFile(const std::string& path, size_t limit, std::string* bytes, std::string* error) {
  bool notFound = false;
  if (vexil::sys::ReadRegularFile(path, limit, bytes, error, &notFound)) return true;
  if (notFound) *error = "does not exist";
  return false;
}

}  // namespace

void CSyncContext::SetMusic(bool hasBpm, double bpm, int32_t rowsPerBeat) {
  m_settingsProblem.clear();
  m_bpm = 0.0;
  if (hasBpm) {
    if (std::isfinite(bpm) && bpm > 0.0) {
      m_bpm = bpm;
    } else {
      m_settingsProblem =
          "the setting \"bpm\" is not a finite number above 0: the demo has no "
          "tempo, so beats and sync tracks cannot be used";
    }
  }
  m_rowsPerBeat = kDefaultRowsPerBeat;
  if (rowsPerBeat > 0) {
    m_rowsPerBeat = rowsPerBeat;
  } else if (m_settingsProblem.empty()) {
    m_settingsProblem = "the setting \"rowsperbeat\" is not a whole number above 0: 8 is used";
  }
}

double CSyncContext::RowAt(double ms) const {
  return HasBpm() ? ms / 1000.0 * m_bpm / 60.0 * m_rowsPerBeat : 0.0;
}

double CSyncContext::MsAtRow(double row) const {
  return HasBpm() ? row / m_rowsPerBeat * 60.0 / m_bpm * 1000.0 : 0.0;
}

std::string CSyncContext::TakeSettingsProblem() {
  std::string problem;
  problem.swap(m_settingsProblem);
  return problem;
}

bool CSyncContext::SourceIsProject() const {
  const size_t n = m_trackSource.size();
  return n >= 7 && strcasecmp(m_trackSource.c_str() + n - 7, ".rocket") == 0;
}

std::string CSyncContext::SourcePath(const std::string& scriptFolder) const {
  return Join(scriptFolder, m_trackSource);
}

std::string CSyncContext::TrackFilePath(const std::string& name,
                                        const std::string& scriptFolder) const {
  if (SourceIsProject()) return "";
  return SyncTrackFileName(SourcePath(scriptFolder), name);
}

void CSyncContext::LoadProject(const std::string& scriptFolder) {
  m_projectLoaded = true;
  const std::string path = SourcePath(scriptFolder);
  std::string text;
  std::string error;
  if (!ReadSmallFile(path, kMaxSyncProjectFileBytes, &text, &error) ||
      !ParseSyncProject(text, &m_project, &error)) {
    m_projectProblem = "the sync project \"" + path + "\": " + error + "; its tracks are empty";
  }
}

int32_t CSyncContext::UseTrack(const std::string& name, const std::string& scriptFolder,
                               std::string* problem) {
  for (size_t i = 0; i < m_tracks.size(); ++i) {
    if (m_tracks[i].name == name) return static_cast<int32_t>(i);
  }
  if (name.empty() || name.size() > kMaxSyncTrackNameLength) {
    *problem = "the track name \"" + name + "\" is empty or longer than " +
               std::to_string(kMaxSyncTrackNameLength) + " bytes";
    return -1;
  }
  if (m_tracks.size() >= static_cast<size_t>(kMaxSyncTracks)) {
    *problem = "more than " + std::to_string(kMaxSyncTracks) + " sync tracks";
    return -1;
  }
  NamedTrack entry;
  entry.name = name;
  if (SourceIsProject()) {
    if (!m_projectLoaded) {
      LoadProject(scriptFolder);
      *problem = m_projectProblem;
    }
    const auto found = m_project.find(name);
    if (found != m_project.end()) {
      entry.track.SetKeys(found->second);
    } else if (m_projectProblem.empty()) {
      *problem = "the sync project \"" + SourcePath(scriptFolder) + "\" has no track \"" + name +
                 "\": it is empty";
    }
  } else {
    const std::string path = TrackFilePath(name, scriptFolder);
    std::string bytes;
    std::string error;
    std::vector<SyncKey> keys;
    if (ReadSmallFile(path, kMaxSyncTrackFileBytes, &bytes, &error) &&
        DecodeSyncTrackFile(bytes, &keys, &error)) {
      entry.track.SetKeys(std::move(keys));
    } else {
      *problem = "the track file \"" + path + "\": " + error + "; track \"" + name + "\" is empty";
    }
  }
  m_tracks.push_back(std::move(entry));
  return static_cast<int32_t>(m_tracks.size() - 1);
}

float OwnerDemoOffset(const CDataProvider* owner) {
  const auto* module = dynamic_cast<const CModule*>(owner);
  return module ? module->GetStartTime() : 0.0f;
}

float ScriptKeyTime(const TiXmlElement* key, const CDataProvider* owner, CWidgetManager* manager) {
  const char* time = key->Attribute("time");
  const char* beat = key->Attribute("beat");
  if (time || !beat) return ScriptFloat(time);
  const CSyncContext* sync = manager ? &manager->GetSync() : nullptr;
  if (!sync || !sync->HasBpm()) {
    if (manager) {
      manager->Report(key->Row(),
                      std::string("a key gives beat \"") + beat +
                          "\" but the script sets no usable \"bpm\": the key is at time 0");
    }
    return 0.0f;
  }
  return static_cast<float>(sync->BeatToMs(ScriptDouble(beat)) - OwnerDemoOffset(owner));
}
