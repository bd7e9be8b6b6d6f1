// CModule: base of every effect on the timeline. Adds to the data provider its time span and
// layer, the per-frame hooks the timeline calls, the module's own clock and an optional
// render-target schedule that sends its rendering into a texture for part of its life.
#pragma once

#include <cstdint>

#include "d3d9/com_ptr.h"
#include "d3d9/d3d9.h"
#include "params/dataprovider.h"
#include "script/linkedlist.h"

class CDemoDevice;
class CTimeline;

// One entry of a render-target schedule: from `time` (module milliseconds) on, render into
// `color` with `depth` (null: no depth buffer). The key holds one reference of each surface.
struct CTargetKey {
  float time = 0.0f;
  vexil::Com<IDirect3DSurface9> color;
  vexil::Com<IDirect3DSurface9> depth;
};

// How a module's picture depends on the material (D3D's lighting material) that modules
// leave on the device, declared by the module for the script checker: it sets one that stays
// set, or it draws lit with whichever one an earlier module left (black while none was set).
enum class EMaterialUse : uint8_t { None, LeavesSet, TakesLeftOver };

class CModule : public CDataProvider {
 public:
  explicit CModule(float start = 0.0f, float end = 0.0f, int16_t layer = 0);
  // Frees the schedule (releasing its surfaces), then the data provider part.
  ~CModule() override;

  // Reads the values and their parameters, then the render-target schedule: "target" children
  // with a "value" (one key at time 0) or with "key" children ("time", "value"). A value of
  // "_SCREEN" (any case) is the back buffer with the device's depth-stencil surface; any other
  // value names a texture of the texture manager, which must already be registered. A key
  // naming an unknown texture is left out, so rendering stays in the current target.
  void Parse(TiXmlElement* element) override;
  // Timeline time minus start; 0 is the module's first moment.
  float GetTime() const override;

  // Hooks the timeline calls; the base does nothing.
  virtual void BeforeFirstRender();
  virtual void BeforeRender();
  virtual void Render();
  virtual void AfterRender();
  virtual void AfterLastRender();
  // Marks the module as not started; not called by the engine.
  virtual void Reset();
  // Called once after Parse, when the timeline, device and viewport are set.
  virtual void Init();

  // started = true, then BeforeFirstRender.
  void StartModule();
  // AfterLastRender, then started = false.
  void EndModule();

  // Called around Render: switch to the scheduled target for the current module time (the
  // viewport's x2/y2 follow the target's size), and switch back afterwards.
  void SetRenderTarget();
  void RestoreRenderTarget();

  float GetStartTime() const { return m_start; }
  float GetEndTime() const { return m_end; }
  int16_t GetLayer() const { return m_layer; }
  bool IsStarted() const { return m_started; }
  void SetStart(float start) { m_start = start; }
  void SetEnd(float end) { m_end = end; }
  void SetLayer(int16_t layer) { m_layer = layer; }
  void SetTimeLine(CTimeline* timeline) { m_pTimeline = timeline; }
  void SetDemoDevice(CDemoDevice* demoDevice) { m_pDemoDevice = demoDevice; }
  void SetViewportRect(const D3DRECT& viewport) { m_viewport = viewport; }

  CTimeline* GetTimeLine() const { return m_pTimeline; }
  CDemoDevice* GetDemoDevice() const { return m_pDemoDevice; }
  const D3DRECT& GetViewportRect() const { return m_viewport; }
  const CLinkedList<CTargetKey>& GetTargetKeys() const { return m_targetKeys; }
  EMaterialUse GetMaterialUse() const { return m_materialUse; }

 protected:
  // Effects declare this in their constructor.
  void DeclareMaterialUse(EMaterialUse use) { m_materialUse = use; }

  CDemoDevice* m_pDemoDevice = nullptr;
  // (0, 0, display width, display height); x2 and y2 follow the surface being rendered into.
  D3DRECT m_viewport = {0, 0, 0, 0};
  float m_start;
  float m_end;
  int16_t m_layer;
  bool m_started = false;
  CTimeline* m_pTimeline = nullptr;

 private:
  void ParseTarget(TiXmlElement* target);
  void AppendKey(float time, const char* value);
  // The key that applies at module time t (see SetRenderTarget).
  const CTargetKey* ChooseKey(float t) const;
  void ReleaseSavedSurfaces();

  CLinkedList<CTargetKey> m_targetKeys;  // owned, in script order
  // Held from SetRenderTarget to the restore.
  vexil::Com<IDirect3DSurface9> m_pSavedColor;
  vexil::Com<IDirect3DSurface9> m_pSavedDepth;
  bool m_switched = false;
  EMaterialUse m_materialUse = EMaterialUse::None;
};
