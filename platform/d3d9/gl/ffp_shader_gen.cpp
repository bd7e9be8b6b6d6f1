// Fixed-function emulation in GLSL: per-vertex lighting (D3D9's formulas), texture
// coordinate generation, fog, the texture stage cascade, specular add and alpha test.
// Everything the key does not ask for is left out of the source.
#include "d3d9/gl/ffp_shader_gen.h"

#include <sstream>

#include "d3d9/gl/ffp_constants.h"

namespace vexil::d3d9 {

namespace {

const char* SourceExpr(MaterialSource s, const char* material) {
  switch (s) {
    case MaterialSource::kDiffuse:
      return "aDiffuse";
    case MaterialSource::kSpecular:
      return "aSpecular";
    default:
      return material;
  }
}

// Which stages sample a texture and therefore need coordinates.
bool StageSamples(const FfpKey& k, int i) {
  return i < k.stageCount && k.stages[i].textureBound;
}

std::string Interp(const FfpKey& k) {
  return k.flatShading ? "flat " : "";
}

// The specular colour handed from the vertex to the pixel stage: its alpha only where a stage
// argument may read it; the add after the stages takes the colour alone, and an interpolant
// fewer is work saved on every pixel.
const char* SpecularInterpolant(const FfpKey& k) {
  return k.specularToStages ? "vec4 vSpecular;\n" : "vec3 vSpecular;\n";
}

// GLSL 3.30 natively; GLSL ES 3.00 (WebGL 2) in the browser, with full precision throughout
// as desktop GL computes.
#ifdef VEXIL_GLES
constexpr const char* kVersion =
    "#version 300 es\nprecision highp float;\nprecision highp int;\n"
    "precision highp sampler2D;\n";
#else
constexpr const char* kVersion = "#version 330 core\n";
#endif

}  // namespace

std::string GenerateVertexShader(const FfpKey& k) {
  std::ostringstream s;
  s << kVersion << kFfpVertexBlocksGlsl;
  s << "layout(location = 0) in vec4 aPosition;\n";
  if (k.hasNormal) s << "layout(location = 1) in vec3 aNormal;\n";
#ifdef VEXIL_GLES
  // GL ES cannot read vertex colours as BGRA: they arrive as stored and are swapped in main.
  if (k.hasDiffuse) s << "layout(location = 2) in vec4 aDiffuseStored;\n";
  if (k.hasSpecular) s << "layout(location = 3) in vec4 aSpecularStored;\n";
#else
  if (k.hasDiffuse) s << "layout(location = 2) in vec4 aDiffuse;\n";
  if (k.hasSpecular) s << "layout(location = 3) in vec4 aSpecular;\n";
#endif
  if (k.hasPointSize) s << "layout(location = 4) in float aPointSize;\n";
  for (int i = 0; i < k.texCoordCount; ++i) {
    s << "layout(location = " << (kAttrTexCoord0 + i) << ") in vec4 aTexCoord" << i << ";\n";
  }
  // Only what the pixel stages read is passed on: a software rasteriser pays for every
  // output of every vertex.
  s << Interp(k) << "out vec4 vDiffuse;\n";
  if (k.specularUsed) s << Interp(k) << "out " << SpecularInterpolant(k);
  // D3DRS_SPECULARENABLE comes from the vertex block: changing the pixel stage's program or
  // constants makes a software rasteriser store its whole fragment state again, and demos
  // switch specular per object. The vertex stage scales the colour it hands on by it, unless
  // a stage argument needs the colour itself; then the switch travels beside it.
  if (k.specularToStages) s << "flat out float vSpecularAdd;\n";
  if (k.fog != FogKind::kNone) s << "out float vFog;\n";
  for (int i = 0; i < static_cast<int>(kStageCount); ++i) {
    if (StageSamples(k, i)) s << "out vec2 vTexCoord" << i << ";\n";
  }
  s << "void main() {\n";
#ifdef VEXIL_GLES
  if (k.hasDiffuse) s << "  vec4 aDiffuse = aDiffuseStored.bgra;\n";
  if (k.hasSpecular) s << "  vec4 aSpecular = aSpecularStored.bgra;\n";
#endif
  s << "  vec3 P = vec3(0.0);\n  vec3 N = vec3(0.0);\n";
  if (k.specularToStages) s << "  vSpecularAdd = uMisc.y;\n";
  if (k.pretransformed) {
    // Screen-space x, y (pixel centres on integers), depth z and 1/w. Our targets are
    // stored top row first, so screen y maps to window y unflipped.
    s << "  float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;\n"
         "  vec2 ndc = (aPosition.xy + 0.5 - uViewport.xy) / uViewport.zw * 2.0 - 1.0;\n"
         "  gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);\n";
  } else {
    s << "  vec4 pView = uWorldView * vec4(aPosition.xyz, 1.0);\n"
         "  P = pView.xyz;\n"
         "  vec4 clip = uProjection * pView;\n";
    if (k.fog == FogKind::kTable && k.fogFromDeviceZ) {
      s << "  vFog = clip.w != 0.0 ? clip.z / clip.w : clip.z;\n";
    }
    // D3D's clip depth runs 0..w, GL's -w..w; clip y is negated because every target is
    // rendered upside down (row 0 = top) and flipped once when presented.
    s << "  gl_Position = vec4(clip.x + uPixelOffset.x * clip.w,\n"
         "                     -clip.y + uPixelOffset.y * clip.w,\n"
         "                     2.0 * clip.z - clip.w, clip.w);\n";
    if (k.hasNormal) {
      // A direction has no translation: the upper 3 x 3 alone, nine products instead of 16.
      s << "  N = mat3(uNormalMatrix) * aNormal;\n";
      if (k.normalizeNormals) s << "  N = normalize(N);\n";
    }
  }

  // Colours reaching the pixel stages.
  const char* vertexDiffuse = k.hasDiffuse ? "aDiffuse" : "vec4(1.0)";
  const char* vertexSpecular = !k.hasSpecular ? (k.specularToStages ? "vec4(0.0)" : "vec3(0.0)")
                               : k.specularToStages ? "aSpecular"
                                                    : "aSpecular.rgb * uMisc.y";
  // Unless a stage argument reads it, the lights' specular term is summed only while
  // SPECULARENABLE is on, and is black otherwise.
  const char* specularLit = k.specularToStages ? "NdotL > 0.0" : "uMisc.y != 0.0 && NdotL > 0.0";
  if (k.lighting) {
    s << "  vec3 ambientSum = vec3(0.0), diffuseSum = vec3(0.0), specularSum = vec3(0.0);\n";
    // The direction to the eye, which only the specular term reads: one square root.
    if (k.specular && k.localViewer) {
      s << "  float PdotP = dot(P, P);\n"
           "  vec3 V = PdotP > 0.0 ? P * -inversesqrt(PdotP) : vec3(0.0, 0.0, -1.0);\n";
    } else if (k.specular) {
      s << "  vec3 V = vec3(0.0, 0.0, -1.0);\n";
    }
    for (int i = 0; i < k.lightCount; ++i) {
      s << "  {\n";
      if (k.lightType[i] == D3DLIGHT_DIRECTIONAL) {
        s << "    vec3 L = uLightDirection[" << i << "].xyz;\n    float att = 1.0;\n";
      } else {
        s << "    vec3 D = uLightPosition[" << i << "].xyz - P;\n"
          << "    float d = length(D);\n"
          << "    vec3 L = d > 0.0 ? D / d : vec3(0.0, 0.0, -1.0);\n"
          << "    vec3 A = uLightAttenuation[" << i
          << "].xyz;\n"
          // All-zero attenuation would divide by zero: clamp to a large finite value.
          << "    float att = d > uLightPosition[" << i << "].w ? 0.0\n"
          << "        : 1.0 / max(A.x + A.y * d + A.z * d * d, 1e-20);\n";
        if (k.lightType[i] == D3DLIGHT_SPOT) {
          s << "    float rho = dot(-L, -uLightDirection[" << i << "].xyz);\n"
            << "    vec2 cs = uLightSpot[" << i << "].xy;\n"
            << "    float spot = rho > cs.x ? 1.0 : (rho <= cs.y ? 0.0 :\n"
            << "        pow(clamp((rho - cs.y) / max(cs.x - cs.y, 1e-6), 0.0, 1.0),\n"
            << "            uLightAttenuation[" << i << "].w));\n"
            << "    att *= spot;\n";
        }
      }
      s << "    ambientSum += uLightAmbient[" << i << "].rgb * att;\n"
        << "    float NdotL = dot(N, L);\n"
        << "    diffuseSum += uLightDiffuse[" << i << "].rgb * max(NdotL, 0.0) * att;\n";
      if (k.specular) {
        s << "    if (" << specularLit << ") {\n"
          << "      vec3 H = normalize(L + V);\n"
          << "      float NdotH = dot(N, H);\n"
          << "      if (NdotH > 0.0)\n"
          << "        specularSum += uLightSpecular[" << i << "].rgb * pow(NdotH, uMisc.x) * att;\n"
          << "    }\n";
      }
      s << "  }\n";
    }
    s << "  vec4 Cd = " << SourceExpr(k.diffuseSource, "uMatDiffuse") << ";\n"
      << "  vec4 Ca = " << SourceExpr(k.ambientSource, "uMatAmbient") << ";\n"
      << "  vec4 Cs = " << SourceExpr(k.specularSource, "uMatSpecular") << ";\n"
      << "  vec4 Ce = " << SourceExpr(k.emissiveSource, "uMatEmissive") << ";\n"
      << "  vDiffuse = clamp(vec4(Ce.rgb + Ca.rgb * (uGlobalAmbient.rgb + ambientSum) +\n"
      << "                        Cd.rgb * diffuseSum, Cd.a), 0.0, 1.0);\n";
    if (k.specularToStages) {
      s << "  vSpecular = vec4(clamp(Cs.rgb * specularSum, 0.0, 1.0), "
        << (k.hasSpecular ? "aSpecular.a" : "0.0") << ");\n";
    } else if (k.specularUsed) {
      s << "  vSpecular = clamp(Cs.rgb * specularSum, 0.0, 1.0);\n";
    }
  } else {
    s << "  vDiffuse = " << vertexDiffuse << ";\n";
    if (k.specularUsed) s << "  vSpecular = " << vertexSpecular << ";\n";
  }

  // Fog distance (table fog, per pixel) or factor (vertex fog).
  if (k.fog == FogKind::kTable && !k.fogFromDeviceZ) {
    s << "  vFog = P.z;\n";
  } else if (k.fog == FogKind::kTable && k.pretransformed) {
    s << "  vFog = aPosition.z;\n";
  } else if (k.fog == FogKind::kVertex) {
    s << "  float fd = " << (k.rangeFog ? "length(P)" : "abs(P.z)") << ";\n";
    if (k.fogMode == D3DFOG_LINEAR) {
      s << "  vFog = clamp((uFogParams.y - fd) * uFogParams.z, 0.0, 1.0);\n";
    } else if (k.fogMode == D3DFOG_EXP) {
      s << "  vFog = exp(-fd * uFogParams.w);\n";
    } else {
      s << "  vFog = exp(-(fd * uFogParams.w) * (fd * uFogParams.w));\n";
    }
  } else if (k.fog == FogKind::kVertexAlpha) {
    s << "  vFog = " << (k.hasSpecular ? "aSpecular.a" : "1.0") << ";\n";
  }

  // Texture coordinates per sampling stage.
  for (int i = 0; i < static_cast<int>(kStageCount); ++i) {
    if (!StageSamples(k, i)) continue;
    // Texture transforms are not emulated, so a stage samples with (u, v) alone.
    const FfpStageKey& st = k.stages[i];
    s << "  vTexCoord" << i << " = ";
    switch (st.texCoordGen) {
      case D3DTSS_TCI_CAMERASPACENORMAL >> 16:
        s << "N.xy;\n";
        break;
      case D3DTSS_TCI_CAMERASPACEPOSITION >> 16:
        s << "P.xy;\n";
        break;
      case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16:
        s << "reflect(length(P) > 0.0 ? normalize(P) : vec3(0.0, 0.0, 1.0), N).xy;\n";
        break;
      case D3DTSS_TCI_SPHEREMAP >> 16:
        s << "vec2(0.5);\n  {\n"
             "    vec3 I = length(P) > 0.0 ? normalize(P) : vec3(0.0, 0.0, 1.0);\n"
             "    vec3 r = I - 2.0 * dot(N, I) * N;\n"
             "    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));\n"
          << "    if (m > 0.0) vTexCoord" << i << " = r.xy / m + 0.5;\n"
          << "  }\n";
        break;
      default:
        if (st.texCoordSet < k.texCoordCount) {
          const int size = k.texCoordSize[st.texCoordSet];
          s << (size == 1 ? "vec2(" : "") << "aTexCoord" << int(st.texCoordSet)
            << (size == 1 ? ".x, 0.0)" : ".xy") << ";\n";
        } else {
          s << "vec2(0.0);\n";
        }
        break;
    }
  }

  // Point size: the vertex's own or the render state's, optionally scaled with distance.
  if (k.points) {
    s << "  float size = " << (k.hasPointSize ? "aPointSize" : "uMisc.z") << ";\n";
    if (k.pointScale) {
      s << "  float pd = length(P);\n"
           "  size = uViewport.w * size * sqrt(1.0 / max(uMisc2.y + uMisc2.z * pd +\n"
           "                                               uMisc2.w * pd * pd, 1e-20));\n";
    }
    s << "  gl_PointSize = clamp(size, max(uMisc.w, 1.0), max(uMisc2.x, 1.0));\n";
  }
  s << "}\n";
  return s.str();
}

namespace {

std::string Arg(DWORD arg, int stage, bool alpha) {
  std::string base;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      base = "diffuse";
      break;
    case D3DTA_CURRENT:
      base = "current";
      break;
    case D3DTA_TEXTURE:
      base = "tex" + std::to_string(stage);
      break;
    case D3DTA_TFACTOR:
      base = "uTextureFactor";
      break;
    case D3DTA_SPECULAR:
      base = "specular";
      break;
    case D3DTA_TEMP:
      base = "temp";
      break;
    case D3DTA_CONSTANT:
      base = "uStageConstant[" + std::to_string(stage) + "]";
      break;
    default:
      base = "current";
      break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
  if (arg & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
  return base + (alpha ? ".a" : ".rgb");
}

// The expression of one operation on rgb (alpha = false) or alpha.
std::string Op(DWORD op, const FfpStageKey& st, int stage, bool alpha) {
  const DWORD a0 = alpha ? st.alphaArg0 : st.colorArg0;
  const DWORD a1 = alpha ? st.alphaArg1 : st.colorArg1;
  const DWORD a2 = alpha ? st.alphaArg2 : st.colorArg2;
  const std::string x0 = Arg(a0, stage, alpha), x1 = Arg(a1, stage, alpha),
                    x2 = Arg(a2, stage, alpha);
  const std::string t = "tex" + std::to_string(stage);
  auto blend = [&](const std::string& f) {
    return x1 + " * " + f + " + " + x2 + " * (1.0 - " + f + ")";
  };
  switch (op) {
    case D3DTOP_SELECTARG1:
      return x1;
    case D3DTOP_SELECTARG2:
      return x2;
    case D3DTOP_MODULATE:
      return x1 + " * " + x2;
    case D3DTOP_MODULATE2X:
      return x1 + " * " + x2 + " * 2.0";
    case D3DTOP_MODULATE4X:
      return x1 + " * " + x2 + " * 4.0";
    case D3DTOP_ADD:
      return x1 + " + " + x2;
    case D3DTOP_ADDSIGNED:
      return x1 + " + " + x2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X:
      return "(" + x1 + " + " + x2 + " - 0.5) * 2.0";
    case D3DTOP_SUBTRACT:
      return x1 + " - " + x2;
    case D3DTOP_ADDSMOOTH:
      return x1 + " + " + x2 + " - " + x1 + " * " + x2;
    case D3DTOP_BLENDDIFFUSEALPHA:
      return blend("diffuse.a");
    case D3DTOP_BLENDTEXTUREALPHA:
      return blend(t + ".a");
    case D3DTOP_BLENDFACTORALPHA:
      return blend("uTextureFactor.a");
    case D3DTOP_BLENDCURRENTALPHA:
      return blend("current.a");
    case D3DTOP_BLENDTEXTUREALPHAPM:
      return x1 + " + " + x2 + " * (1.0 - " + t + ".a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      return alpha ? x1 : x1 + " + " + Arg(a1, stage, true) + " * " + x2;
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      return alpha ? x1 : x1 + " * " + x2 + " + " + Arg(a1, stage, true);
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      return alpha ? x1 : "(1.0 - " + Arg(a1, stage, true) + ") * " + x2 + " + " + x1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      return alpha ? x1 : "(vec3(1.0) - " + x1 + ") * " + x2 + " + " + Arg(a1, stage, true);
    case D3DTOP_DOTPRODUCT3: {
      const std::string c1 = Arg(a1, stage, false), c2 = Arg(a2, stage, false);
      const std::string dot = "dot((" + c1 + " - 0.5) * 2.0, (" + c2 + " - 0.5) * 2.0)";
      return alpha ? dot : "vec3(" + dot + ")";
    }
    case D3DTOP_MULTIPLYADD:
      return x0 + " + " + x1 + " * " + x2;
    case D3DTOP_LERP:
      return x0 + " * " + x1 + " + (1.0 - " + x0 + ") * " + x2;
    default:  // PREMODULATE, bump mapping: not emulated, the stage passes its first argument
      return x1;
  }
}

// Every stage argument lies in [0, 1]: colours and factors are bytes, textures are unorm
// formats, the interpolated colours are clamped per vertex and each stage's result is. These
// operations keep such values in [0, 1] (products, selections, blends and lerps between two),
// so their clamp would only cost the pixel stage instructions on every pixel.
bool KeepsUnitRange(DWORD op) {
  switch (op) {
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
    case D3DTOP_MODULATE:
    case D3DTOP_ADDSMOOTH:  // a + b - ab = 1 - (1 - a)(1 - b)
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA:
    case D3DTOP_LERP:
      return true;
    default:
      return false;
  }
}

// The stage's result for `op`: clamped to [0, 1] as D3D9 saturates it, unless it cannot leave it.
std::string Saturated(DWORD op, const std::string& expression) {
  return KeepsUnitRange(op) ? expression : "clamp(" + expression + ", 0.0, 1.0)";
}

}  // namespace

std::string GenerateFragmentShader(const FfpKey& k) {
  std::ostringstream s;
  s << kVersion << kFfpPixelBlockGlsl;
  s << Interp(k) << "in vec4 vDiffuse;\n";
  if (k.specularUsed) s << Interp(k) << "in " << SpecularInterpolant(k);
  if (k.specularToStages) s << "flat in float vSpecularAdd;\n";
  if (k.fog != FogKind::kNone) s << "in float vFog;\n";
  for (int i = 0; i < static_cast<int>(kStageCount); ++i) {
    if (!StageSamples(k, i)) continue;
    s << "in vec2 vTexCoord" << i << ";\nuniform sampler2D uTexture" << i << ";\n";
  }
  s << "out vec4 fragColor;\n";
  s << "void main() {\n"
       "  vec4 diffuse = vDiffuse;\n"
    << (k.specularToStages ? "  vec4 specular = vSpecular;\n"
        : k.specularUsed   ? "  vec4 specular = vec4(vSpecular, 0.0);\n"
                           : "  vec4 specular = vec4(0.0);\n")
    << "  vec4 current = diffuse;\n"
       "  vec4 temp = vec4(0.0);\n";
  for (int i = 0; i < k.stageCount; ++i) {
    const FfpStageKey& st = k.stages[i];
    s << "  {\n";
    if (st.textureBound) {
      if (k.pointSprite) {
#ifdef VEXIL_GLES
        // GL ES fixes the sprite origin at the upper left; targets are stored upside down.
        s << "    vec4 tex" << i << " = texture(uTexture" << i
          << ", vec2(gl_PointCoord.x, 1.0 - gl_PointCoord.y));\n";
#else
        s << "    vec4 tex" << i << " = texture(uTexture" << i << ", gl_PointCoord);\n";
#endif
      } else {
        s << "    vec4 tex" << i << " = texture(uTexture" << i << ", vTexCoord" << i << ");\n";
      }
    }
    const std::string dst = st.resultArg == D3DTA_TEMP ? "temp" : "current";
    s << "    vec3 rgb = " << Saturated(st.colorOp, Op(st.colorOp, st, i, false)) << ";\n";
    if (st.alphaOp == D3DTOP_DISABLE) {
      // Undefined in D3D9's documentation; the alpha that reached the stage carries on.
      s << "    float a = current.a;\n";
    } else {
      s << "    float a = " << Saturated(st.alphaOp, Op(st.alphaOp, st, i, true)) << ";\n";
    }
    s << "    " << dst << " = vec4(rgb, a);\n  }\n";
  }
  if (k.specularToStages) {
    s << "  if (vSpecularAdd != 0.0) current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
  } else if (k.specularUsed) {
    // Black unless SPECULARENABLE is on (scaled by the vertex stage).
    s << "  current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
  }
  if (k.fog == FogKind::kTable) {
    s << "  float d = vFog;\n";
    if (k.fogMode == D3DFOG_LINEAR) {
      s << "  float f = clamp((uPixelFogParams.y - d) * uPixelFogParams.z, 0.0, 1.0);\n";
    } else if (k.fogMode == D3DFOG_EXP) {
      s << "  float f = clamp(exp(-d * uPixelFogParams.w), 0.0, 1.0);\n";
    } else {
      s << "  float f = clamp(exp(-(d * uPixelFogParams.w) * (d * uPixelFogParams.w)), 0.0, "
           "1.0);\n";
    }
    s << "  current.rgb = mix(uFogColor.rgb, current.rgb, f);\n";
  } else if (k.fog != FogKind::kNone) {
    s << "  current.rgb = mix(uFogColor.rgb, current.rgb, clamp(vFog, 0.0, 1.0));\n";
  }
  if (k.alphaFunc) {
    // D3D compares 8-bit alpha with the 8-bit reference.
    static const char* kCompare[9] = {"", "false", "<", "==", "<=", ">", "!=", ">=", "true"};
    s << "  float alpha8 = floor(current.a * 255.0 + 0.5);\n";
    if (k.alphaFunc == D3DCMP_NEVER) {
      s << "  discard;\n";
    } else if (k.alphaFunc <= D3DCMP_GREATEREQUAL) {
      s << "  if (!(alpha8 " << kCompare[k.alphaFunc] << " uAlphaRef.x)) discard;\n";
    }
  }
  s << "  fragColor = current;\n}\n";
  return s.str();
}

}  // namespace vexil::d3d9
