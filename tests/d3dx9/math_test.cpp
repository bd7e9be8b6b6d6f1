// D3DX math checked against hand-computed values: left-handed row-vector matrices, Hermite
// weights, quaternion order, bounding boxes and FVF vertex sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "d3dx9/d3dx9.h"

namespace {

constexpr float kEps = 1e-5f;
constexpr float kHalfPi = 1.5707963f;

void ExpectVec3(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, const char* what) {
  EXPECT_NEAR(expected.x, actual.x, kEps) << what << " (x)";
  EXPECT_NEAR(expected.y, actual.y, kEps) << what << " (y)";
  EXPECT_NEAR(expected.z, actual.z, kEps) << what << " (z)";
}

void ExpectMatrix(const D3DXMATRIX& expected, const D3DXMATRIX& actual, const char* what) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(expected.m[r][c], actual.m[r][c], kEps)
          << what << " at row " << r << " col " << c;
}

D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

TEST(D3DXVectorTypes, LayoutAndDefaults) {
  static_assert(sizeof(D3DXVECTOR2) == 8, "D3DXVECTOR2 is two packed floats");
  static_assert(sizeof(D3DXVECTOR3) == 12, "D3DXVECTOR3 is three packed floats");
  static_assert(sizeof(D3DXMATRIX) == 64, "D3DXMATRIX is sixteen packed floats");
  EXPECT_EQ(D3DXVECTOR2(0, 0), D3DXVECTOR2()) << "default construction is zero";
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3());
  D3DXMATRIX m;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(0.0f, static_cast<const float*>(m)[i]);
  const float raw[3] = {1.0f, 2.0f, 3.0f};
  EXPECT_EQ(D3DXVECTOR3(5, 7, 9), D3DXVECTOR3(raw) + D3DXVECTOR3(4, 5, 6));
  EXPECT_EQ(D3DXVECTOR3(2, 4, 6), 2.0f * D3DXVECTOR3(raw));
}

TEST(D3DXVectorFunctions, CrossDotLengthNormalize) {
  D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), out;
  D3DXVec3Cross(&out, &x, &y);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 1), out) << "x cross y is z";
  D3DXVec3Cross(&x, &x, &y);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 1), x) << "output may alias an input";

  D3DXVECTOR3 v(3, 4, 12);
  EXPECT_FLOAT_EQ(13.0f, D3DXVec3Length(&v));
  EXPECT_FLOAT_EQ(169.0f, D3DXVec3LengthSq(&v));
  EXPECT_FLOAT_EQ(4.0f, D3DXVec3Dot(&v, &y));
  D3DXVec3Normalize(&out, &v);
  ExpectVec3(D3DXVECTOR3(3 / 13.f, 4 / 13.f, 12 / 13.f), out, "normalised");

  D3DXVECTOR3 zero;
  D3DXVec3Normalize(&out, &zero);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 0), out) << "zero vector normalises to zero, not NaN";

  D3DXVECTOR4 v4(2, 0, 0, 2), o4;
  D3DXVec4Normalize(&o4, &v4);
  EXPECT_NEAR(0.70710678f, o4.x, kEps);
  EXPECT_NEAR(0.70710678f, o4.w, kEps);
  D3DXVECTOR4 z4;
  D3DXVec4Normalize(&o4, &z4);
  EXPECT_EQ(D3DXVECTOR4(0, 0, 0, 0), o4);

  D3DXVECTOR2 v2(0, 5), o2;
  D3DXVec2Normalize(&o2, &v2);
  EXPECT_EQ(D3DXVECTOR2(0, 1), o2);

  D3DXVECTOR3 a(0, 0, 0), b(10, 20, 30);
  D3DXVec3Lerp(&out, &a, &b, 0.25f);
  EXPECT_EQ(D3DXVECTOR3(2.5f, 5, 7.5f), out);
}

TEST(D3DXHermite, EndpointsAndMidpoint) {
  // Position 0 with tangent 0.5 to position 1 with tangent 0.5: at s = 0.5 the weights are
  // h1 = 0.5, h2 = 0.125, h3 = 0.5, h4 = -0.125, so 0.0625 + 0.5 - 0.0625 = 0.5.
  D3DXVECTOR2 p1(0, 10), t1(0.5f, 0), p2(1, 20), t2(0.5f, 0), out;
  D3DXVec2Hermite(&out, &p1, &t1, &p2, &t2, 0.5f);
  EXPECT_FLOAT_EQ(0.5f, out.x);
  EXPECT_FLOAT_EQ(15.0f, out.y);
  D3DXVec2Hermite(&out, &p1, &t1, &p2, &t2, 0.0f);
  EXPECT_EQ(p1, out) << "s = 0 gives position 1";
  D3DXVec2Hermite(&out, &p1, &t1, &p2, &t2, 1.0f);
  EXPECT_EQ(p2, out) << "s = 1 gives position 2";

  // s = 0.25: h1 = 0.84375, h2 = 0.140625, h3 = 0.15625, h4 = -0.046875.
  D3DXVECTOR3 a(1, 0, 0), ta(0, 4, 0), b(0, 0, 2), tb(0, 0, 8), o3;
  D3DXVec3Hermite(&o3, &a, &ta, &b, &tb, 0.25f);
  ExpectVec3(D3DXVECTOR3(0.84375f, 0.5625f, 0.3125f - 0.375f), o3, "vec3 hermite at 0.25");

  D3DXVECTOR4 c(0, 100, 200, 255), tc(0, 0, 0, 0), d(255, 100, 0, 255), td(0, 0, 0, 0), o4;
  D3DXVec4Hermite(&o4, &c, &tc, &d, &td, 0.5f);
  EXPECT_FLOAT_EQ(127.5f, o4.x);
  EXPECT_FLOAT_EQ(100.0f, o4.y);
  EXPECT_FLOAT_EQ(100.0f, o4.z);
  EXPECT_FLOAT_EQ(255.0f, o4.w);
}

TEST(D3DXMatrixBuild, IdentityScalingTranslationMultiply) {
  D3DXMATRIX id, s, t, st, ts;
  D3DXMatrixIdentity(&id);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&id));
  D3DXMatrixScaling(&s, 2, 3, 4);
  D3DXMatrixTranslation(&t, 10, 20, 30);
  EXPECT_FALSE(D3DXMatrixIsIdentity(&t));
  EXPECT_FLOAT_EQ(10.0f, t._41) << "translation lives in the last row";

  D3DXMatrixMultiply(&st, &s, &t);
  D3DXMatrixMultiply(&ts, &t, &s);
  ExpectVec3(D3DXVECTOR3(12, 23, 34), TransformCoord(D3DXVECTOR3(1, 1, 1), st),
             "scale first, then translate");
  ExpectVec3(D3DXVECTOR3(22, 63, 124), TransformCoord(D3DXVECTOR3(1, 1, 1), ts),
             "translate first, then scale");
  ExpectMatrix(st, s * t, "operator* matches D3DXMatrixMultiply");

  D3DXMATRIX alias = s;
  D3DXMatrixMultiply(&alias, &alias, &t);
  ExpectMatrix(st, alias, "output may alias the first input");
  alias = t;
  D3DXMatrixMultiply(&alias, &s, &alias);
  ExpectMatrix(st, alias, "output may alias the second input");
}

TEST(D3DXMatrixBuild, RotationsAreLeftHandedRowVector) {
  D3DXMATRIX r;
  D3DXMatrixRotationZ(&r, kHalfPi);
  ExpectVec3(D3DXVECTOR3(0, 1, 0), TransformCoord(D3DXVECTOR3(1, 0, 0), r), "Rz(90) x -> y");
  D3DXMatrixRotationX(&r, kHalfPi);
  ExpectVec3(D3DXVECTOR3(0, 0, 1), TransformCoord(D3DXVECTOR3(0, 1, 0), r), "Rx(90) y -> z");
  D3DXMatrixRotationY(&r, kHalfPi);
  ExpectVec3(D3DXVECTOR3(1, 0, 0), TransformCoord(D3DXVECTOR3(0, 0, 1), r), "Ry(90) z -> x");

  D3DXMATRIX rz, axis;
  D3DXVECTOR3 zAxis(0, 0, 5);  // not unit: the axis is normalised first
  D3DXMatrixRotationZ(&rz, 0.7f);
  D3DXMatrixRotationAxis(&axis, &zAxis, 0.7f);
  ExpectMatrix(rz, axis, "rotation about the z axis equals RotationZ");

  D3DXVECTOR3 diag(1, 1, 1);
  D3DXMatrixRotationAxis(&axis, &diag, 2.0943951f);  // 120 degrees cycles the axes
  ExpectVec3(D3DXVECTOR3(0, 1, 0), TransformCoord(D3DXVECTOR3(1, 0, 0), axis), "x -> y");
  ExpectVec3(D3DXVECTOR3(0, 0, 1), TransformCoord(D3DXVECTOR3(0, 1, 0), axis), "y -> z");
}

TEST(D3DXQuaternion, YawPitchRollOrderMatchesMatrices) {
  const float yaw = 0.3f, pitch = -0.8f, roll = 1.1f;
  D3DXMATRIX rx, ry, rz;
  D3DXMatrixRotationX(&rx, pitch);
  D3DXMatrixRotationY(&ry, yaw);
  D3DXMatrixRotationZ(&rz, roll);

  D3DXQUATERNION q;
  D3DXMATRIX fromQ;
  D3DXQuaternionRotationYawPitchRoll(&q, yaw, 0, 0);
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  ExpectMatrix(ry, fromQ, "yaw alone is a rotation about y");
  D3DXQuaternionRotationYawPitchRoll(&q, 0, pitch, 0);
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  ExpectMatrix(rx, fromQ, "pitch alone is a rotation about x");
  D3DXQuaternionRotationYawPitchRoll(&q, 0, 0, roll);
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  ExpectMatrix(rz, fromQ, "roll alone is a rotation about z");

  D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  ExpectMatrix(rz * rx * ry, fromQ, "roll, then pitch, then yaw");
  D3DXMATRIX ypr;
  D3DXMatrixRotationYawPitchRoll(&ypr, yaw, pitch, roll);
  ExpectMatrix(rz * rx * ry, ypr, "matrix form agrees");

  D3DXQUATERNION qx, qy, prod;
  D3DXQuaternionRotationYawPitchRoll(&qx, 0, pitch, 0);
  D3DXQuaternionRotationYawPitchRoll(&qy, yaw, 0, 0);
  D3DXQuaternionMultiply(&prod, &qx, &qy);
  D3DXMatrixRotationQuaternion(&fromQ, &prod);
  ExpectMatrix(rx * ry, fromQ, "q1 * q2 applies q1 first");
  D3DXMatrixRotationQuaternion(&fromQ, &(qx *= qy));
  ExpectMatrix(rx * ry, fromQ, "operator*= agrees");
}

TEST(D3DXMatrixBuild, LookAtLH) {
  D3DXMATRIX view;
  D3DXVECTOR3 eye(0, 0, -2.4f), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMATRIX expected(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2.4f, 1);
  ExpectMatrix(expected, view, "looking down +z from z = -2.4");

  // Eye on +x looking at the origin: view z is world -x, view x = up cross z = world +z.
  eye = D3DXVECTOR3(5, 0, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  ExpectVec3(D3DXVECTOR3(0, 0, 5), TransformCoord(at, view), "target lies ahead on view z");
  ExpectVec3(D3DXVECTOR3(1, 0, 5), TransformCoord(D3DXVECTOR3(0, 0, 1), view),
             "world +z appears to the right");
  ExpectVec3(D3DXVECTOR3(0, 1, 5), TransformCoord(D3DXVECTOR3(0, 1, 0), view), "up stays up");

  // A tilted up vector (0, 1, 1), as several effects use, is only projected, never kept.
  eye = D3DXVECTOR3(0, 0, -10);
  D3DXVECTOR3 tilted(0, 1, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &tilted);
  ExpectMatrix(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1), view,
               "up (0,1,1) looking along z gives the same frame as (0,1,0)");
}

TEST(D3DXMatrixBuild, Projections) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, kHalfPi, 2.0f, 1.0f, 3.0f);
  ExpectMatrix(D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0), p,
               "fov 90, aspect 2, near 1, far 3");
  EXPECT_NEAR(0.0f, TransformCoord(D3DXVECTOR3(0, 0, 1), p).z, kEps) << "near plane at depth 0";
  EXPECT_NEAR(1.0f, TransformCoord(D3DXVECTOR3(0, 0, 3), p).z, kEps) << "far plane at depth 1";

  D3DXMatrixOrthoLH(&p, 640, 480, 1, 10);
  ExpectMatrix(
      D3DXMATRIX(2 / 640.f, 0, 0, 0, 0, 2 / 480.f, 0, 0, 0, 0, 1 / 9.f, 0, 0, 0, -1 / 9.f, 1), p,
      "ortho 640 x 480");
  ExpectVec3(D3DXVECTOR3(1, -1, 0), TransformCoord(D3DXVECTOR3(320, -240, 1), p), "corner");

  D3DXMatrixOrthoOffCenterLH(&p, 0, 640, 0, 480, 1, 10);
  ExpectVec3(D3DXVECTOR3(-1, -1, 0), TransformCoord(D3DXVECTOR3(0, 0, 1), p), "bottom left");
  ExpectVec3(D3DXVECTOR3(1, 1, 1), TransformCoord(D3DXVECTOR3(640, 480, 10), p), "top right");
}

TEST(D3DXMatrixBuild, InverseTransposeDeterminant) {
  D3DXMATRIX s, r, t, m, inv, prod, id;
  D3DXMatrixScaling(&s, 2, 4, 8);
  D3DXMatrixRotationY(&r, 0.6f);
  D3DXMatrixTranslation(&t, 1, -2, 3);
  m = s * r * t;
  float det = 0;
  ASSERT_NE(nullptr, D3DXMatrixInverse(&inv, &det, &m));
  EXPECT_NEAR(64.0f, det, 1e-3f);
  EXPECT_NEAR(64.0f, D3DXMatrixDeterminant(&m), 1e-3f);
  D3DXMatrixMultiply(&prod, &m, &inv);
  ExpectMatrix(*D3DXMatrixIdentity(&id), prod, "M * inverse(M)");

  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  D3DXMATRIX untouched = t;
  EXPECT_EQ(nullptr, D3DXMatrixInverse(&untouched, nullptr, &singular));
  ExpectMatrix(t, untouched, "a failed inverse leaves the output alone");

  D3DXMATRIX tr;
  D3DXMatrixTranspose(&tr, &t);
  EXPECT_FLOAT_EQ(-2.0f, tr._24);
  EXPECT_FLOAT_EQ(0.0f, tr._42);
}

TEST(D3DXVectorTransform, PointsNormalsAndFourVectors) {
  D3DXMATRIX s, t, m;
  D3DXMatrixScaling(&s, 2, 2, 2);
  D3DXMatrixTranslation(&t, 5, 0, 0);
  m = s * t;
  D3DXVECTOR3 v(1, 2, 3);
  D3DXVECTOR4 out4;
  D3DXVec3Transform(&out4, &v, &m);
  EXPECT_EQ(D3DXVECTOR4(7, 4, 6, 1), out4) << "point with w = 1 picks up the translation";

  D3DXVECTOR3 n;
  D3DXVec3TransformNormal(&n, &v, &m);
  EXPECT_EQ(D3DXVECTOR3(2, 4, 6), n) << "directions ignore the translation";

  D3DXMATRIX proj;
  D3DXMatrixPerspectiveFovLH(&proj, kHalfPi, 1.0f, 1.0f, 3.0f);
  D3DXVECTOR3 p(1, 1, 2);
  D3DXVec3Transform(&out4, &p, &proj);
  EXPECT_FLOAT_EQ(2.0f, out4.w) << "perspective w is view depth";
  ExpectVec3(D3DXVECTOR3(0.5f, 0.5f, 0.75f), TransformCoord(p, proj), "divided by w");

  D3DXVECTOR4 dir(0, 1, 0, 0), o;
  D3DXMATRIX rz;
  D3DXMatrixRotationZ(&rz, kHalfPi);
  D3DXVec4Transform(&o, &dir, &rz);
  EXPECT_NEAR(-1.0f, o.x, kEps);
  EXPECT_NEAR(0.0f, o.y, kEps);
  EXPECT_EQ(0.0f, o.w);
}

TEST(D3DXGeometry, BoundingBoxHonoursStride) {
  // Position, normal, one texture pair: 32-byte vertices, as in FVF 0x112.
  struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
  };
  const std::vector<Vertex> verts = {
      {1, -2, 3, 9, 9, 9, 9, 9}, {-4, 5, 0, -99, -99, -99, 0, 0}, {2, 0, -6, 50, 50, 50, 1, 1}};
  D3DXVECTOR3 lo, hi;
  ASSERT_EQ(S_OK, D3DXComputeBoundingBox(reinterpret_cast<const D3DXVECTOR3*>(verts.data()), 3,
                                         sizeof(Vertex), &lo, &hi));
  EXPECT_EQ(D3DXVECTOR3(-4, -2, -6), lo) << "normals and UVs must not leak into the box";
  EXPECT_EQ(D3DXVECTOR3(2, 5, 3), hi);

  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXComputeBoundingBox(reinterpret_cast<const D3DXVECTOR3*>(verts.data()), 0,
                                   sizeof(Vertex), &lo, &hi));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXComputeBoundingBox(nullptr, 3, 32, &lo, &hi));
}

TEST(D3DXGeometry, FVFVertexSizes) {
  struct Case {
    DWORD fvf;
    UINT size;
  };
  const Case cases[] = {
      {0x152, 36},  // position, normal, diffuse, one UV pair
      {0x142, 24},  // position, diffuse, one UV pair
      {0x112, 32},  // position, normal, one UV pair
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28},
      {D3DFVF_XYZ, 12},
      {D3DFVF_XYZW | D3DFVF_PSIZE | D3DFVF_SPECULAR, 24},
      {D3DFVF_XYZB3 | D3DFVF_NORMAL, 36},
      {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE1(1), 28},
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE4(0), 28},
  };
  for (const Case& c : cases) EXPECT_EQ(c.size, D3DXGetFVFVertexSize(c.fvf)) << "fvf " << c.fvf;
}

}  // namespace
