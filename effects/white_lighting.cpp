// The white light and material of the lit tube effects.
#include "white_lighting.h"

namespace effects {

void SetWhiteLighting(IDirect3DDevice9* device, CStateScope* scope, const D3DXVECTOR3& towards,
                      bool specular, float ambientAlpha) {
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = light.Specular = light.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  D3DXVECTOR3 direction;
  D3DXVec3Normalize(&direction, &towards);
  light.Direction = direction;
  light.Range = 1000.0f;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);

  D3DMATERIAL9 material{};
  material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  material.Ambient = {0.2f, 0.2f, 0.2f, ambientAlpha};
  material.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
  material.Power = 20.0f;
  device->SetMaterial(&material);

  if (specular) {
    scope->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    scope->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  }
  scope->SetRenderState(D3DRS_LIGHTING, TRUE);
  scope->SetRenderState(D3DRS_AMBIENT, 0x00FFFFFF);
}

}  // namespace effects
