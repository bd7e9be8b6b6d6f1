// Parameters: the objects that feed a value over time. CParam is the base; this file also
// holds the constant parameters of every value type and the point-array parameters.
#pragma once

#include <cstdint>

#include "d3dx9/d3dx9math.h"
#include "params/dataprovider.h"

class CParam : public CDataProvider {
 public:
  CParam();
  ~CParam() override;

  // Reads the "param" element that created this parameter, once.
  void Parse(TiXmlElement* element) override = 0;
  // The owner's time: a parameter runs on the clock of the object it feeds (0 without one).
  float GetTime() const override;

  void SetOwner(const CDataProvider* owner) { m_owner = owner; }
  const CDataProvider* GetOwner() const { return m_owner; }

 protected:
  // A key element's time in the owner's milliseconds, from "time" or (with a tempo) "beat".
  float KeyTime(const TiXmlElement* key) const;

 private:
  const CDataProvider* m_owner = nullptr;
};

// Constant parameters return their value whatever the time; the keyframed classes derived
// from them override the timed GetValue.
class CParamFloat : public CParam {
 public:
  void Parse(TiXmlElement* element) override;
  virtual float GetValue() const;
  virtual float GetValue(float time) const;

 protected:
  float m_value = 0.0f;
};

class CParamLong : public CParam {
 public:
  void Parse(TiXmlElement* element) override;
  virtual int32_t GetValue() const;
  virtual int32_t GetValue(float time) const;

 protected:
  int32_t m_value = 0;
};

class CParamColor : public CParam {
 public:
  // "value" is "#" and hexadecimal AARRGGBB, used as written (#FF0000 has alpha 0).
  void Parse(TiXmlElement* element) override;
  virtual uint32_t GetValue() const;
  virtual uint32_t GetValue(float time) const;

 protected:
  uint32_t m_value = 0;
};

class CParamString : public CParam {
 public:
  ~CParamString() override;
  void Parse(TiXmlElement* element) override;
  // Never null: "" until a value is read. Points into this parameter.
  virtual const char* GetValue();
  virtual const char* GetValue(float time);

 protected:
  char* m_value = nullptr;
};

class CParamVec2 : public CParam {
 public:
  void Parse(TiXmlElement* element) override;
  virtual D3DXVECTOR2 GetValue() const;
  virtual D3DXVECTOR2 GetValue(float time) const;

 protected:
  D3DXVECTOR2 m_value{0.0f, 0.0f};
};

class CParamVec3 : public CParam {
 public:
  void Parse(TiXmlElement* element) override;
  virtual D3DXVECTOR3 GetValue() const;
  virtual D3DXVECTOR3 GetValue(float time) const;

 protected:
  D3DXVECTOR3 m_value{0.0f, 0.0f, 0.0f};
};

// Points read from "key" children; stored in reverse document order (the last "key" of the
// script is point 0), which effects that walk the points rely on.
class CParamArrayVec2 : public CParam {
 public:
  ~CParamArrayVec2() override;
  void Parse(TiXmlElement* element) override;
  // Point 0, or the zero vector when there are no points.
  virtual D3DXVECTOR2 GetValue() const;
  // The point at `index`; the zero vector outside [0, count).
  virtual D3DXVECTOR2 GetValue(int32_t index) const;
  int32_t GetCount() const { return m_count; }

 protected:
  int32_t m_count = 0;
  D3DXVECTOR2* m_points = nullptr;
};

class CParamArrayVec3 : public CParam {
 public:
  ~CParamArrayVec3() override;
  void Parse(TiXmlElement* element) override;
  virtual D3DXVECTOR3 GetValue() const;
  virtual D3DXVECTOR3 GetValue(int32_t index) const;
  int32_t GetCount() const { return m_count; }

 protected:
  int32_t m_count = 0;
  D3DXVECTOR3* m_points = nullptr;
};
