// D3DX math helpers: vectors, quaternions, matrices, bounding boxes and FVF sizes.
// Formulas follow D3DX's left-handed, row-vector definitions so effects match the originals.
#include "d3dx9/d3dx9math.h"

#include <cmath>
#include <cstring>

namespace {

// Hermite basis weights for position 1, tangent 1, position 2, tangent 2.
struct HermiteWeights {
  float h1, h2, h3, h4;
};

HermiteWeights Hermite(float s) {
  const float s2 = s * s;
  const float s3 = s2 * s;
  return {2.0f * s3 - 3.0f * s2 + 1.0f, s3 - 2.0f * s2 + s, -2.0f * s3 + 3.0f * s2, s3 - s2};
}

float HermiteComponent(const HermiteWeights& h, float v1, float t1, float v2, float t2) {
  return h.h1 * v1 + h.h2 * t1 + h.h3 * v2 + h.h4 * t2;
}

}  // namespace

// ---- Operators that need the free functions ---------------------------------------------------

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
  D3DXQuaternionMultiply(this, this, &q);
  return *this;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const {
  D3DXQUATERNION r;
  D3DXQuaternionMultiply(&r, this, &q);
  return r;
}

D3DXMATRIX::D3DXMATRIX(const float* f) : D3DMATRIX{} {
  std::memcpy(&_11, f, sizeof(float) * 16);
}

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23,
                       float f24, float f31, float f32, float f33, float f34, float f41, float f42,
                       float f43, float f44)
    : D3DMATRIX{} {
  _11 = f11;
  _12 = f12;
  _13 = f13;
  _14 = f14;
  _21 = f21;
  _22 = f22;
  _23 = f23;
  _24 = f24;
  _31 = f31;
  _32 = f32;
  _33 = f33;
  _34 = f34;
  _41 = f41;
  _42 = f42;
  _43 = f43;
  _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
  D3DXMatrixMultiply(this, this, &mat);
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] += mat.m[r][c];
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] -= mat.m[r][c];
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] *= f;
  return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != mat.m[r][c]) return false;
  return true;
}

// ---- 2-component vectors ----------------------------------------------------------------------

float D3DXVec2Length(const D3DXVECTOR2* pV) {
  return std::sqrt(pV->x * pV->x + pV->y * pV->y);
}

float D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y;
}

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
  const float len = D3DXVec2Length(pV);
  if (len == 0.0f) {
    *pOut = D3DXVECTOR2(0.0f, 0.0f);
  } else {
    *pOut = D3DXVECTOR2(pV->x / len, pV->y / len);
  }
  return pOut;
}

D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2,
                          float s) {
  *pOut = D3DXVECTOR2(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y));
  return pOut;
}

D3DXVECTOR2* D3DXVec2Hermite(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pT1,
                             const D3DXVECTOR2* pV2, const D3DXVECTOR2* pT2, float s) {
  const HermiteWeights h = Hermite(s);
  *pOut = D3DXVECTOR2(HermiteComponent(h, pV1->x, pT1->x, pV2->x, pT2->x),
                      HermiteComponent(h, pV1->y, pT1->y, pV2->y, pT2->y));
  return pOut;
}

// ---- 3-component vectors ----------------------------------------------------------------------

float D3DXVec3LengthSq(const D3DXVECTOR3* pV) {
  return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z;
}

float D3DXVec3Length(const D3DXVECTOR3* pV) {
  return std::sqrt(D3DXVec3LengthSq(pV));
}

float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  // Computed into a temporary: pOut may alias an input.
  const D3DXVECTOR3 r(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                      pV1->x * pV2->y - pV1->y * pV2->x);
  *pOut = r;
  return pOut;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(pV1->x + pV2->x, pV1->y + pV2->y, pV1->z + pV2->z);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(pV1->x - pV2->x, pV1->y - pV2->y, pV1->z - pV2->z);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, float s) {
  *pOut = D3DXVECTOR3(pV->x * s, pV->y * s, pV->z * s);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  const float len = D3DXVec3Length(pV);
  if (len == 0.0f) {
    *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  } else {
    *pOut = D3DXVECTOR3(pV->x / len, pV->y / len, pV->z / len);
  }
  return pOut;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                          float s) {
  *pOut = D3DXVECTOR3(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y),
                      pV1->z + s * (pV2->z - pV1->z));
  return pOut;
}

D3DXVECTOR3* D3DXVec3Hermite(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pT1,
                             const D3DXVECTOR3* pV2, const D3DXVECTOR3* pT2, float s) {
  const HermiteWeights h = Hermite(s);
  *pOut = D3DXVECTOR3(HermiteComponent(h, pV1->x, pT1->x, pV2->x, pT2->x),
                      HermiteComponent(h, pV1->y, pT1->y, pV2->y, pT2->y),
                      HermiteComponent(h, pV1->z, pT1->z, pV2->z, pT2->z));
  return pOut;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  const D3DXVECTOR4 v(*pV, 1.0f);
  return D3DXVec4Transform(pOut, &v, pM);
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                    const D3DXMATRIX* pM) {
  D3DXVECTOR4 r;
  D3DXVec3Transform(&r, pV, pM);
  // D3DX divides unconditionally; a zero w would give infinities, so keep the raw coordinates.
  const float inv = r.w != 0.0f ? 1.0f / r.w : 1.0f;
  *pOut = D3DXVECTOR3(r.x * inv, r.y * inv, r.z * inv);
  return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV,
                                     const D3DXMATRIX* pM) {
  const D3DXVECTOR3 v = *pV;
  *pOut = D3DXVECTOR3(v.x * pM->_11 + v.y * pM->_21 + v.z * pM->_31,
                      v.x * pM->_12 + v.y * pM->_22 + v.z * pM->_32,
                      v.x * pM->_13 + v.y * pM->_23 + v.z * pM->_33);
  return pOut;
}

// ---- 4-component vectors ----------------------------------------------------------------------

float D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z + pV1->w * pV2->w;
}

float D3DXVec4Length(const D3DXVECTOR4* pV) {
  return std::sqrt(D3DXVec4Dot(pV, pV));
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
  const float len = D3DXVec4Length(pV);
  if (len == 0.0f) {
    *pOut = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
  } else {
    *pOut = D3DXVECTOR4(pV->x / len, pV->y / len, pV->z / len, pV->w / len);
  }
  return pOut;
}

D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2,
                          float s) {
  *pOut = D3DXVECTOR4(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y),
                      pV1->z + s * (pV2->z - pV1->z), pV1->w + s * (pV2->w - pV1->w));
  return pOut;
}

D3DXVECTOR4* D3DXVec4Hermite(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pT1,
                             const D3DXVECTOR4* pV2, const D3DXVECTOR4* pT2, float s) {
  const HermiteWeights h = Hermite(s);
  *pOut = D3DXVECTOR4(HermiteComponent(h, pV1->x, pT1->x, pV2->x, pT2->x),
                      HermiteComponent(h, pV1->y, pT1->y, pV2->y, pT2->y),
                      HermiteComponent(h, pV1->z, pT1->z, pV2->z, pT2->z),
                      HermiteComponent(h, pV1->w, pT1->w, pV2->w, pT2->w));
  return pOut;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
  const D3DXVECTOR4 v = *pV;
  *pOut = D3DXVECTOR4(v.x * pM->_11 + v.y * pM->_21 + v.z * pM->_31 + v.w * pM->_41,
                      v.x * pM->_12 + v.y * pM->_22 + v.z * pM->_32 + v.w * pM->_42,
                      v.x * pM->_13 + v.y * pM->_23 + v.z * pM->_33 + v.w * pM->_43,
                      v.x * pM->_14 + v.y * pM->_24 + v.z * pM->_34 + v.w * pM->_44);
  return pOut;
}

// ---- Quaternions ------------------------------------------------------------------------------

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut) {
  *pOut = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  const float len = std::sqrt(pQ->x * pQ->x + pQ->y * pQ->y + pQ->z * pQ->z + pQ->w * pQ->w);
  if (len == 0.0f) {
    *pOut = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
  } else {
    *pOut = D3DXQUATERNION(pQ->x / len, pQ->y / len, pQ->z / len, pQ->w / len);
  }
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                       const D3DXQUATERNION* pQ2) {
  // D3DX's product is the Hamilton product q2 · q1, so that q1 acts first.
  const D3DXQUATERNION a = *pQ2;
  const D3DXQUATERNION b = *pQ1;
  *pOut = D3DXQUATERNION(
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV,
                                           float angle) {
  D3DXVECTOR3 axis;
  D3DXVec3Normalize(&axis, pV);
  const float s = std::sin(angle * 0.5f);
  *pOut = D3DXQUATERNION(axis.x * s, axis.y * s, axis.z * s, std::cos(angle * 0.5f));
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch,
                                                   float roll) {
  const float sy = std::sin(yaw * 0.5f), cy = std::cos(yaw * 0.5f);
  const float sp = std::sin(pitch * 0.5f), cp = std::cos(pitch * 0.5f);
  const float sr = std::sin(roll * 0.5f), cr = std::cos(roll * 0.5f);
  *pOut = D3DXQUATERNION(sy * cp * sr + cy * sp * cr, sy * cp * cr - cy * sp * sr,
                         cy * cp * sr - sy * sp * cr, cy * cp * cr + sy * sp * sr);
  return pOut;
}

// ---- Matrices ---------------------------------------------------------------------------------

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* pM) {
  D3DXMATRIX id;
  D3DXMatrixIdentity(&id);
  return *pM == id ? TRUE : FALSE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                  pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    }
  }
  *pOut = r;
  return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = pM->m[j][i];
  *pOut = r;
  return pOut;
}

namespace {

// Cofactor expansion over 2x2 sub-determinants of the lower and upper row pairs; gives the
// adjugate (transposed cofactors) and the determinant in one pass.
float Adjugate(const D3DXMATRIX& a, D3DXMATRIX* adj) {
  const float* m = &a._11;
  float inv[16];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
           m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
            m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
           m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  if (adj) *adj = D3DXMATRIX(inv);
  return m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* pM) {
  return Adjugate(*pM, nullptr);
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM) {
  D3DXMATRIX adj;
  const float det = Adjugate(*pM, &adj);
  if (pDeterminant) *pDeterminant = det;
  if (det == 0.0f || !std::isfinite(det)) return nullptr;
  *pOut = adj * (1.0f / det);
  return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
  *pOut = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, float angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, pV);
  const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  *pOut = D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0,
                     t * v.x * v.y - s * v.z, t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0,
                     t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c, 0, 0, 0,
                     0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
  const float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
  *pOut = D3DXMATRIX(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w),
                     0, 2.0f * (x * y - z * w), 1.0f - 2.0f * (x * x + z * z),
                     2.0f * (y * z + x * w), 0, 2.0f * (x * z + y * w), 2.0f * (y * z - x * w),
                     1.0f - 2.0f * (x * x + y * y), 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll) {
  D3DXQUATERNION q;
  D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
  return D3DXMatrixRotationQuaternion(pOut, &q);
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  D3DXVECTOR3 zaxis = *pAt - *pEye;
  D3DXVec3Normalize(&zaxis, &zaxis);
  D3DXVECTOR3 xaxis;
  D3DXVec3Cross(&xaxis, pUp, &zaxis);
  D3DXVec3Normalize(&xaxis, &xaxis);
  D3DXVECTOR3 yaxis;
  D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
  *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z,
                     zaxis.z, 0, -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye),
                     -D3DXVec3Dot(&zaxis, pEye), 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn,
                                       float zf) {
  const float yScale = 1.0f / std::tan(fovy * 0.5f);
  const float xScale = yScale / aspect;
  const float q = zf / (zf - zn);
  *pOut = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
  return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf) {
  *pOut = D3DXMATRIX(2.0f / w, 0, 0, 0, 0, 2.0f / h, 0, 0, 0, 0, 1.0f / (zf - zn), 0, 0, 0,
                     zn / (zn - zf), 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t,
                                       float zn, float zf) {
  *pOut = D3DXMATRIX(2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, 1.0f / (zf - zn), 0,
                     (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1);
  return pOut;
}

// ---- Geometry helpers -------------------------------------------------------------------------

HRESULT D3DXComputeBoundingBox(const D3DXVECTOR3* pFirstPosition, DWORD numVertices, DWORD stride,
                               D3DXVECTOR3* pMin, D3DXVECTOR3* pMax) {
  if (!pFirstPosition || !pMin || !pMax || numVertices == 0) return D3DERR_INVALIDCALL;
  // Positions may be unaligned inside a vertex, so each one is copied out byte-wise.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pFirstPosition);
  D3DXVECTOR3 lo, hi;
  std::memcpy(&lo, bytes, sizeof(D3DVECTOR));
  hi = lo;
  for (DWORD i = 1; i < numVertices; ++i) {
    D3DVECTOR p;
    std::memcpy(&p, bytes + static_cast<size_t>(i) * stride, sizeof(D3DVECTOR));
    if (p.x < lo.x) lo.x = p.x;
    if (p.y < lo.y) lo.y = p.y;
    if (p.z < lo.z) lo.z = p.z;
    if (p.x > hi.x) hi.x = p.x;
    if (p.y > hi.y) hi.y = p.y;
    if (p.z > hi.z) hi.z = p.z;
  }
  *pMin = lo;
  *pMax = hi;
  return S_OK;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) {
  UINT size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0:
      break;
    case D3DFVF_XYZ:
      size = 12;
      break;
    case D3DFVF_XYZRHW:
      size = 16;
      break;
    case D3DFVF_XYZW:
      size = 16;
      break;
    case D3DFVF_XYZB1:
      size = 16;
      break;
    case D3DFVF_XYZB2:
      size = 20;
      break;
    case D3DFVF_XYZB3:
      size = 24;
      break;
    case D3DFVF_XYZB4:
      size = 28;
      break;
    case D3DFVF_XYZB5:
      size = 32;
      break;
    default:
      return 0;
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (UINT i = 0; i < texCount && i < 8; ++i) {
    // Two bits per coordinate set from bit 16: 0 two floats, 1 three, 2 four, 3 one.
    static const UINT kFloats[4] = {2, 3, 4, 1};
    size += kFloats[(fvf >> (16 + i * 2)) & 3] * 4;
  }
  return size;
}
