// The musical context of a demo: its tempo, rows per beat and the sync tracks its parameters
// read. The widget manager owns one per demo; the player fills in the script's settings,
// parameters convert beats and look up tracks through it, and a live editor link changes the
// tracks' keys while the demo plays.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "params/synctrack.h"

class CDataProvider;
class CWidgetManager;
class TiXmlElement;

class CSyncContext {
 public:
  static constexpr int32_t kDefaultRowsPerBeat = 8;

  // The script's tempo: `bpm` must be finite and above 0 (otherwise there is no tempo and the
  // problem is kept for the check), `rowsPerBeat` above 0 (otherwise 8, with a problem).
  // `hasBpm` false: the script sets none.
  void SetMusic(bool hasBpm, double bpm, int32_t rowsPerBeat);
  // The "synctracks" setting: a prefix of track file names or an editor project ("….rocket"),
  // relative to the script's folder.
  void SetTrackSource(const std::string& source) { m_trackSource = source; }
  const std::string& GetTrackSource() const { return m_trackSource; }

  bool HasBpm() const { return m_bpm > 0.0; }
  double GetBpm() const { return m_bpm; }
  int32_t GetRowsPerBeat() const { return m_rowsPerBeat; }

  // Demo milliseconds of a beat: beat × 60000 / bpm.
  double BeatToMs(double beat) const { return beat * 60000.0 / m_bpm; }
  // The fractional row at demo milliseconds: seconds × bpm / 60 × rows per beat (0 without
  // a tempo), and back.
  double RowAt(double ms) const;
  double MsAtRow(double row) const;

  // The index of the named track, loaded from the track source on first use; -1 when the
  // name is too long or there are too many tracks (with the reason in `problem`). A track
  // whose file is missing or malformed is empty, with the reason in `problem`.
  int32_t UseTrack(const std::string& name, const std::string& scriptFolder, std::string* problem);
  int32_t GetTrackCount() const { return static_cast<int32_t>(m_tracks.size()); }
  const std::string& GetTrackName(int32_t index) const { return m_tracks[index].name; }
  CSyncTrack& GetTrack(int32_t index) { return m_tracks[index].track; }
  const CSyncTrack& GetTrack(int32_t index) const { return m_tracks[index].track; }
  // The file a track is saved to and read from ("" when the source is a project file).
  std::string TrackFilePath(const std::string& name, const std::string& scriptFolder) const;

  // A problem with the settings, said once: the first caller takes it ("" when none).
  std::string TakeSettingsProblem();

 private:
  struct NamedTrack {
    std::string name;
    CSyncTrack track;
  };
  bool SourceIsProject() const;
  std::string SourcePath(const std::string& scriptFolder) const;
  void LoadProject(const std::string& scriptFolder);

  double m_bpm = 0.0;
  int32_t m_rowsPerBeat = kDefaultRowsPerBeat;
  std::string m_trackSource = "sync";
  std::string m_settingsProblem;
  std::vector<NamedTrack> m_tracks;
  bool m_projectLoaded = false;
  std::string m_projectProblem;
  std::map<std::string, std::vector<SyncKey>> m_project;
};

// The time of a "key" element in its owner's milliseconds: its "time", or, when it gives
// "beat" instead, that beat's demo time less the owner's start on the timeline. A beat without
// a tempo reads as 0 and is reported through the manager.
float ScriptKeyTime(const TiXmlElement* key, const CDataProvider* owner, CWidgetManager* manager);
// How far the owner's clock is behind demo time: a module's start, 0 for anything else.
float OwnerDemoOffset(const CDataProvider* owner);
