// A sync track: keys on rows of the music, as sync-tracker editors store them, with the
// evaluation rules between keys and the binary track file and editor project formats.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// How a key leads to the next one.
enum class ESyncInterpolation : uint8_t { Step = 0, Linear = 1, Smooth = 2, Ramp = 3 };

struct SyncKey {
  int32_t row = 0;
  float value = 0.0f;
  uint8_t type = 0;  // an ESyncInterpolation
};

// Limits on what is read from files and from an editor: they bound memory and time, and
// no real demo comes near them.
constexpr int32_t kMaxSyncTrackKeys = 1 << 20;  // keys per track
constexpr size_t kMaxSyncTrackFileBytes = 4 + 9 * size_t{kMaxSyncTrackKeys};
constexpr size_t kMaxSyncTrackNameLength = 255;         // bytes
constexpr size_t kMaxSyncProjectFileBytes = 64u << 20;  // an editor's XML project file
constexpr int32_t kMaxSyncTracks = 4096;                // tracks in one demo or project

class CSyncTrack {
 public:
  // The value at a fractional row: the first key's value before it, the last key's after
  // it, the key type's curve between two keys; 0 without keys.
  double Evaluate(double row) const;

  // Adds the key, replacing one on the same row.
  void SetKey(const SyncKey& key);
  void DeleteKey(int32_t row);
  // Takes keys in any order; a later key on a row already given wins.
  void SetKeys(std::vector<SyncKey> keys);
  void Clear() { m_keys.clear(); }

  bool IsEmpty() const { return m_keys.empty(); }
  // Sorted by row, one key per row.
  const std::vector<SyncKey>& GetKeys() const { return m_keys; }

 private:
  std::vector<SyncKey> m_keys;
};

// True when a key read from outside may be used: a row from 0 up, a finite value and a
// known interpolation type.
bool IsUsableSyncKey(const SyncKey& key);

// The name as track file names carry it: letters, digits, '.', '_' and '/' stay, every other
// byte becomes '-' and two upper-case hex digits.
std::string EncodeSyncTrackName(const std::string& name);
// "<prefix>_<encoded name>.track".
std::string SyncTrackFileName(const std::string& prefix, const std::string& name);

// Track file contents: a 32-bit little-endian key count, then per key a 32-bit row, a 32-bit
// IEEE float and one byte of interpolation type, all little-endian.
std::string EncodeSyncTrackFile(const CSyncTrack& track);
// False, with the reason, for a file that is cut short, too long, over the limits or holds a
// key that is not usable.
bool DecodeSyncTrackFile(const std::string& bytes, std::vector<SyncKey>* keys, std::string* error);

// An editor's XML project: <sync rows="N"><tracks><track name="…"><key row="…" value="…"
// interpolation="…"/>… False, with the reason, for text that is no such project or breaks
// the limits.
bool ParseSyncProject(const std::string& text, std::map<std::string, std::vector<SyncKey>>* tracks,
                      std::string* error);
