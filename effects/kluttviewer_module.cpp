// "kluttviewer" module: its settings. Mesh normalisation and drawing join here.
#include "kluttviewer_module.h"

namespace effects {

CKluttViewerModule::CKluttViewerModule()
    : CModule(0.0f, 0.0f, 0),
      m_mesh(""),
      m_shading(0),
      m_mapping(0),
      m_fillMode(0),
      m_culling(0),
      m_light(1),
      m_clearZBuffer(1),
      m_lightColor(0x00FFFFFFu),
      m_useTexture(1),
      m_xRotation(0.0f),
      m_yRotation(0.0f),
      m_zRotation(0.0f),
      m_xScale(1.0f),
      m_yScale(1.0f),
      m_zScale(1.0f),
      m_scale(0.0f),
      m_xStretch(1.0f),
      m_yStretch(1.0f),
      m_zStretch(1.0f),
      m_stretch(0.0f),
      m_x(0.0f),
      m_y(0.0f),
      m_z(0.0f),
      m_xPivot(0.0f),
      m_yPivot(0.0f),
      m_zPivot(0.0f) {
  // Registration order differs from the declaration order; scripts see it only through
  // tools that list the settings, but it is kept as it has always been.
  Register(this, &m_mesh, "mesh");
  Register(this, &m_yRotation, "yrotation");
  Register(this, &m_xRotation, "xrotation");
  Register(this, &m_zRotation, "zrotation");
  Register(this, &m_xScale, "xscale");
  Register(this, &m_yScale, "yscale");
  Register(this, &m_zScale, "zscale");
  Register(this, &m_stretch, "stretch");
  Register(this, &m_yStretch, "ystretch");
  Register(this, &m_xStretch, "xstretch");
  Register(this, &m_zStretch, "zstretch");
  Register(this, &m_scale, "scale");
  Register(this, &m_x, "x");
  Register(this, &m_y, "y");
  Register(this, &m_z, "z");
  Register(this, &m_xPivot, "xpivot");
  Register(this, &m_yPivot, "ypivot");
  Register(this, &m_zPivot, "zpivot");
  Register(this, &m_shading, "shading");
  Register(this, &m_mapping, "mapping");
  Register(this, &m_fillMode, "fillmode");
  Register(this, &m_culling, "culling");
  Register(this, &m_useTexture, "usetexture");
  Register(this, &m_light, "light");
  Register(this, &m_lightColor, "lightcolor");
  Register(this, &m_clearZBuffer, "clearzbuffer");
}

}  // namespace effects
