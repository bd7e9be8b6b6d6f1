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
  AddValue(&m_mesh, "mesh", EValueRefers::Resource);
  AddValue(&m_yRotation, "yrotation");
  AddValue(&m_xRotation, "xrotation");
  AddValue(&m_zRotation, "zrotation");
  AddValue(&m_xScale, "xscale");
  AddValue(&m_yScale, "yscale");
  AddValue(&m_zScale, "zscale");
  AddValue(&m_stretch, "stretch");
  AddValue(&m_yStretch, "ystretch");
  AddValue(&m_xStretch, "xstretch");
  AddValue(&m_zStretch, "zstretch");
  AddValue(&m_scale, "scale");
  AddValue(&m_x, "x");
  AddValue(&m_y, "y");
  AddValue(&m_z, "z");
  AddValue(&m_xPivot, "xpivot");
  AddValue(&m_yPivot, "ypivot");
  AddValue(&m_zPivot, "zpivot");
  AddValue(&m_shading, "shading");
  AddValue(&m_mapping, "mapping");
  AddValue(&m_fillMode, "fillmode");
  AddValue(&m_culling, "culling");
  AddValue(&m_useTexture, "usetexture");
  AddValue(&m_light, "light");
  AddValue(&m_lightColor, "lightcolor");
  AddValue(&m_clearZBuffer, "clearzbuffer");
}

}  // namespace effects
