// Sync track evaluation and its file formats.
#include "params/synctrack.h"

#include <strings.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "params/scripttext.h"

double CSyncTrack::Evaluate(double row) const {
  if (m_keys.empty()) return 0.0;
  if (!(row > m_keys.front().row)) return m_keys.front().value;
  if (row >= m_keys.back().row) return m_keys.back().value;
  // The first key after the row; the one before it starts the span.
  const auto next = std::upper_bound(m_keys.begin(), m_keys.end(), row,
                                     [](double r, const SyncKey& key) { return r < key.row; });
  const SyncKey& a = *(next - 1);
  const SyncKey& b = *next;
  double t = (row - a.row) / (static_cast<double>(b.row) - a.row);
  switch (static_cast<ESyncInterpolation>(a.type)) {
    case ESyncInterpolation::Step:
      return a.value;
    case ESyncInterpolation::Linear:
      break;
    case ESyncInterpolation::Smooth:
      t = t * t * (3.0 - 2.0 * t);
      break;
    case ESyncInterpolation::Ramp:
      t = t * t;
      break;
  }
  return a.value + (static_cast<double>(b.value) - a.value) * t;
}

void CSyncTrack::SetKey(const SyncKey& key) {
  const auto at = std::lower_bound(m_keys.begin(), m_keys.end(), key.row,
                                   [](const SyncKey& k, int32_t row) { return k.row < row; });
  if (at != m_keys.end() && at->row == key.row) {
    *at = key;
  } else {
    m_keys.insert(at, key);
  }
}

void CSyncTrack::DeleteKey(int32_t row) {
  const auto at = std::lower_bound(m_keys.begin(), m_keys.end(), row,
                                   [](const SyncKey& k, int32_t r) { return k.row < r; });
  if (at != m_keys.end() && at->row == row) m_keys.erase(at);
}

void CSyncTrack::SetKeys(std::vector<SyncKey> keys) {
  std::stable_sort(keys.begin(), keys.end(),
                   [](const SyncKey& a, const SyncKey& b) { return a.row < b.row; });
  m_keys.clear();
  for (const SyncKey& key : keys) {
    if (!m_keys.empty() && m_keys.back().row == key.row) {
      m_keys.back() = key;
    } else {
      m_keys.push_back(key);
    }
  }
}

bool IsUsableSyncKey(const SyncKey& key) {
  return key.row >= 0 && std::isfinite(key.value) && key.type <= 3;
}

std::string EncodeSyncTrackName(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || byte == '.' || byte == '_' || byte == '/';
    if (plain) {
      out += c;
    } else {
      out += '-';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string SyncTrackFileName(const std::string& prefix, const std::string& name) {
  return prefix + "_" + EncodeSyncTrackName(name) + ".track";
}

namespace {

void PutLittle32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t GetLittle32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

std::string EncodeSyncTrackFile(const CSyncTrack& track) {
  std::string out;
  out.reserve(4 + 9 * track.GetKeys().size());
  PutLittle32(&out, static_cast<uint32_t>(track.GetKeys().size()));
  for (const SyncKey& key : track.GetKeys()) {
    uint32_t bits = 0;
    std::memcpy(&bits, &key.value, 4);
    PutLittle32(&out, static_cast<uint32_t>(key.row));
    PutLittle32(&out, bits);
    out.push_back(static_cast<char>(key.type));
  }
  return out;
}

bool DecodeSyncTrackFile(const std::string& bytes, std::vector<SyncKey>* keys, std::string* error) {
  keys->clear();
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < 4) {
    *error = "shorter than its 4-byte key count";
    return false;
  }
  const uint32_t count = GetLittle32(data);
  if (count > static_cast<uint32_t>(kMaxSyncTrackKeys)) {
    *error = std::to_string(count) + " keys, more than the limit of " +
             std::to_string(kMaxSyncTrackKeys);
    return false;
  }
  const size_t expected = 4 + 9 * size_t{count};
  if (bytes.size() != expected) {
    *error = std::to_string(bytes.size()) + " bytes where " + std::to_string(count) +
             " keys take " + std::to_string(expected);
    return false;
  }
  keys->reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* p = data + 4 + 9 * size_t{i};
    SyncKey key;
    key.row = static_cast<int32_t>(GetLittle32(p));
    const uint32_t bits = GetLittle32(p + 4);
    std::memcpy(&key.value, &bits, 4);
    key.type = p[8];
    if (!IsUsableSyncKey(key)) {
      *error = "key " + std::to_string(i) + " has a negative row, a value that is not a " +
               "number or an unknown interpolation type";
      keys->clear();
      return false;
    }
    keys->push_back(key);
  }
  return true;
}

bool ParseSyncProject(const std::string& text, std::map<std::string, std::vector<SyncKey>>* tracks,
                      std::string* error) {
  tracks->clear();
  if (text.size() > kMaxSyncProjectFileBytes) {
    *error = "larger than the limit of " + std::to_string(kMaxSyncProjectFileBytes) + " bytes";
    return false;
  }
  TiXmlDocument document;
  document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = document.RootElement();
  if (document.Error() || !root || strcasecmp(root->Value(), "sync") != 0) {
    *error = "no sync project (an XML \"sync\" element)";
    return false;
  }
  const TiXmlElement* list = root->FirstChildElement("tracks");
  for (const TiXmlElement* track = list ? list->FirstChildElement("track") : nullptr; track;
       track = track->NextSiblingElement("track")) {
    const char* name = track->Attribute("name");
    if (!name || std::strlen(name) > kMaxSyncTrackNameLength) {
      *error = "line " + std::to_string(track->Row()) + ": a track without a usable name";
      return false;
    }
    if (tracks->size() >= static_cast<size_t>(kMaxSyncTracks)) {
      *error = "more than " + std::to_string(kMaxSyncTracks) + " tracks";
      return false;
    }
    std::vector<SyncKey>& keys = (*tracks)[name];
    for (const TiXmlElement* element = track->FirstChildElement("key"); element;
         element = element->NextSiblingElement("key")) {
      SyncKey key;
      const double row = ScriptDouble(element->Attribute("row"));
      const int32_t type = ScriptInt(element->Attribute("interpolation"));
      key.row = row >= 0 && row <= INT32_MAX ? static_cast<int32_t>(row) : -1;
      key.value = static_cast<float>(ScriptDouble(element->Attribute("value")));
      key.type = type >= 0 && type <= 3 ? static_cast<uint8_t>(type) : 255;
      if (!element->Attribute("row") || !IsUsableSyncKey(key)) {
        *error = "line " + std::to_string(element->Row()) + ": a key of track \"" + name +
                 "\" has no usable row, value or interpolation";
        return false;
      }
      if (keys.size() >= static_cast<size_t>(kMaxSyncTrackKeys)) {
        *error = "track \"" + std::string(name) + "\" has more keys than the limit";
        return false;
      }
      keys.push_back(key);
    }
  }
  return true;
}
