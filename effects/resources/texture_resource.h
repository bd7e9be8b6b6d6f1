// "texture": an image file loaded into a texture, or a render-target texture with a depth
// buffer of its own; either way registered in the texture manager under the resource's name.
#pragma once

#include "scenecore.h"

namespace effects {

class CTextureResource : public CResource {
 public:
  // "type" values.
  static constexpr int32_t kTypeImage = 0;
  static constexpr int32_t kTypeRenderTarget = 1;

  CTextureResource();

  // Creates and registers the texture; "File not found" and false when it cannot be made.
  // The texture manager owns what is registered, so nothing is kept here.
  bool Init() override;

 private:
  CValueString m_filename;
  CValueLong m_width;
  CValueLong m_height;
  CValueLong m_type;
  CValueColor m_colorKey;
  CValueLong m_alpha;  // render targets: not 0 for an alpha channel (A8R8G8B8)
};

}  // namespace effects
