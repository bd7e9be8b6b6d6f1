// Track-driven parameters.
#include "params/paramsync.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "params/scripttext.h"
#include "params/synccontext.h"
#include "script/widgetmanager.h"

void CSyncTrackBinding::Bind(CParam* param, const TiXmlElement* element,
                             const char* const* suffixes, int count) {
  CWidgetManager* manager = param->GetWidgetManager();
  if (!manager || !element) return;
  const int line = element->Row();
  const char* name = element->Attribute("name");
  const char* track = element->Attribute("track");
  if (!track) {
    manager->Report(line, std::string("the sync parameter \"") + (name ? name : "") +
                              "\" names no \"track\": it reads 0");
    return;
  }
  CSyncContext& sync = manager->GetSync();
  if (!sync.HasBpm()) {
    manager->Report(line, std::string("the sync parameter \"") + (name ? name : "") +
                              "\" reads track \"" + track +
                              "\" but the script sets no usable \"bpm\": it reads 0");
    return;
  }
  m_sync = &sync;
  m_ownerOffset = OwnerDemoOffset(param->GetOwner());
  for (int i = 0; i < count && i < kMaxComponents; ++i) {
    std::string problem;
    m_tracks[i] =
        sync.UseTrack(std::string(track) + suffixes[i], manager->GetScriptFolder(), &problem);
    if (!problem.empty()) manager->Report(line, problem);
  }
}

double CSyncTrackBinding::Read(int component, float time) const {
  if (!m_sync || m_tracks[component] < 0) return 0.0;
  const double row = m_sync->RowAt(static_cast<double>(time) + m_ownerOffset);
  return m_sync->GetTrack(m_tracks[component]).Evaluate(row);
}

bool CSyncTrackBinding::HasKeys(int component) const {
  return m_sync && m_tracks[component] >= 0 && !m_sync->GetTrack(m_tracks[component]).IsEmpty();
}

namespace {

const char* const kSingle[] = {""};
const char* const kColour[] = {".r", ".g", ".b", ".a"};
const char* const kVector[] = {".x", ".y", ".z"};

uint32_t ColourChannel(double value) {
  const double clamped = std::clamp(value, 0.0, 1.0);
  return static_cast<uint32_t>(std::lround(clamped * 255.0));
}

}  // namespace

void CParamSyncFloat::Parse(TiXmlElement* element) {
  m_binding.Bind(this, element, kSingle, 1);
}
float CParamSyncFloat::GetValue(float time) const {
  return static_cast<float>(m_binding.Read(0, time));
}

void CParamSyncLong::Parse(TiXmlElement* element) {
  m_binding.Bind(this, element, kSingle, 1);
}
int32_t CParamSyncLong::GetValue(float time) const {
  const double value = std::round(m_binding.Read(0, time));
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

void CParamSyncColor::Parse(TiXmlElement* element) {
  m_binding.Bind(this, element, kColour, 4);
}
uint32_t CParamSyncColor::GetValue(float time) const {
  const uint32_t alpha = m_binding.HasKeys(3) ? ColourChannel(m_binding.Read(3, time)) : 255;
  return alpha << 24 | ColourChannel(m_binding.Read(0, time)) << 16 |
         ColourChannel(m_binding.Read(1, time)) << 8 | ColourChannel(m_binding.Read(2, time));
}

void CParamSyncVec2::Parse(TiXmlElement* element) {
  m_binding.Bind(this, element, kVector, 2);
}
D3DXVECTOR2 CParamSyncVec2::GetValue(float time) const {
  return D3DXVECTOR2(static_cast<float>(m_binding.Read(0, time)),
                     static_cast<float>(m_binding.Read(1, time)));
}

void CParamSyncVec3::Parse(TiXmlElement* element) {
  m_binding.Bind(this, element, kVector, 3);
}
D3DXVECTOR3 CParamSyncVec3::GetValue(float time) const {
  return D3DXVECTOR3(static_cast<float>(m_binding.Read(0, time)),
                     static_cast<float>(m_binding.Read(1, time)),
                     static_cast<float>(m_binding.Read(2, time)));
}
