// The module base: construction, clock and the lifecycle hooks (which do nothing here).
// The render-target schedule lives in module_target.cpp.
#include "timeline/module.h"

#include "timeline/timeline.h"

CModule::CModule(float start, float end, int16_t layer)
    : m_start(start), m_end(end), m_layer(layer) {}

CModule::~CModule() {
  ReleaseSavedSurfaces();
  for (CTargetKey* key : m_targetKeys) delete key;
  m_targetKeys.Clear();
}

float CModule::GetTime() const {
  // Before the timeline places the module its clock reads timeline time 0.
  const float now = m_pTimeline ? m_pTimeline->GetTime() : 0.0f;
  return now - m_start;
}

void CModule::BeforeFirstRender() {}
void CModule::BeforeRender() {}
void CModule::Render() {}
void CModule::AfterRender() {}
void CModule::AfterLastRender() {}
void CModule::Init() {}

void CModule::Reset() {
  m_started = false;
}

void CModule::StartModule() {
  m_started = true;
  BeforeFirstRender();
}

void CModule::EndModule() {
  AfterLastRender();
  m_started = false;
}
