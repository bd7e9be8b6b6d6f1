// Named values: the typed settings a module or resource declares. Reading a value yields its
// bound parameter's result at the owner's current time (or at a given time), else the default.
#pragma once

#include <cstdint>

#include "d3dx9/d3dx9math.h"

class CParam;
class CDataProvider;

// Value type of a value class; a value binds only parameters of the same value type.
enum class EValueType : uint8_t { Float, Long, Color, String, Vec2, Vec3, ArrayVec2, ArrayVec3 };

// What the text of a string value names, when it names something outside its object.
enum class EValueRefers : uint8_t { Nothing, File, Folder, Texture, Resource };

class CValue {
 public:
  static constexpr int NAME_SIZE = 256;

  virtual ~CValue();

  // Copies the name; text beyond 255 characters is cut off.
  void SetName(const char* name);
  const char* GetName() const { return m_name; }
  // The parameter slot through which a data provider binds a parameter.
  CParam** GetParam() { return &m_param; }
  CParam* GetBoundParam() const { return m_param; }
  EValueType GetValueType() const { return m_type; }
  EValueRefers GetRefers() const { return m_refers; }
  void SetRefers(EValueRefers refers) { m_refers = refers; }
  // True when `object` is a parameter whose results are of this value's type.
  bool Accepts(const CDataProvider* object) const;

 protected:
  explicit CValue(EValueType type);
  CValue(const CValue&) = default;
  CValue& operator=(const CValue&) = default;

  CParam* m_param = nullptr;

 private:
  char m_name[NAME_SIZE] = {};
  EValueType m_type;
  EValueRefers m_refers = EValueRefers::Nothing;
};

class CValueFloat : public CValue {
 public:
  CValueFloat();
  explicit CValueFloat(float defaultValue);
  CValueFloat(float defaultValue, float minimum);
  CValueFloat(float defaultValue, float minimum, float maximum);

  operator float() const { return GetValue(); }
  float operator[](float time) const { return GetValue(time); }
  float GetDefault() const { return m_default; }
  // Stored with the value for the effect's own use; reads do not clamp to them.
  float GetMinimum() const { return m_minimum; }
  float GetMaximum() const { return m_maximum; }

 private:
  float GetValue() const;
  float GetValue(float time) const;

  float m_default;
  float m_minimum;
  float m_maximum;
};

class CValueLong : public CValue {
 public:
  CValueLong();
  explicit CValueLong(int32_t defaultValue);
  CValueLong(int32_t defaultValue, int32_t minimum);
  CValueLong(int32_t defaultValue, int32_t minimum, int32_t maximum);

  operator int32_t() const { return GetValue(); }
  int32_t operator[](float time) const { return GetValue(time); }
  int32_t GetDefault() const { return m_default; }
  int32_t GetMinimum() const { return m_minimum; }
  int32_t GetMaximum() const { return m_maximum; }

 private:
  int32_t GetValue() const;
  int32_t GetValue(float time) const;

  int32_t m_default;
  int32_t m_minimum;
  int32_t m_maximum;
};

// A colour in A8R8G8B8 layout: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
class CValueColor : public CValue {
 public:
  CValueColor();
  explicit CValueColor(uint32_t defaultValue);

  operator uint32_t() const { return GetValue(); }
  uint32_t operator[](float time) const { return GetValue(time); }
  uint32_t GetDefault() const { return m_default; }

 private:
  uint32_t GetValue() const;
  uint32_t GetValue(float time) const;

  uint32_t m_default;
};

// Text; the result points into the parameter or this value and must not be freed.
class CValueString : public CValue {
 public:
  static constexpr int TEXT_SIZE = 256;

  CValueString();
  // Text beyond 255 characters is cut off.
  explicit CValueString(const char* defaultValue);

  operator const char*() { return GetValue(); }
  const char* operator[](float time) { return GetValue(time); }
  const char* GetDefault() const { return m_default; }

 private:
  const char* GetValue();
  const char* GetValue(float time);

  char m_default[TEXT_SIZE] = {};
};

class CValueVec2 : public CValue {
 public:
  CValueVec2();
  explicit CValueVec2(const D3DXVECTOR2& defaultValue);

  operator D3DXVECTOR2() const { return GetValue(); }
  D3DXVECTOR2 operator[](float time) const { return GetValue(time); }
  const D3DXVECTOR2& GetDefault() const { return m_default; }

 private:
  D3DXVECTOR2 GetValue() const;
  D3DXVECTOR2 GetValue(float time) const;

  D3DXVECTOR2 m_default;
};

class CValueVec3 : public CValue {
 public:
  CValueVec3();
  explicit CValueVec3(const D3DXVECTOR3& defaultValue);

  operator D3DXVECTOR3() const { return GetValue(); }
  D3DXVECTOR3 operator[](float time) const { return GetValue(time); }
  const D3DXVECTOR3& GetDefault() const { return m_default; }

 private:
  D3DXVECTOR3 GetValue() const;
  D3DXVECTOR3 GetValue(float time) const;

  D3DXVECTOR3 m_default;
};

// A list of points; without a parameter it is empty.
class CValueArrayVec2 : public CValue {
 public:
  CValueArrayVec2();

  // The point at index 0.
  operator D3DXVECTOR2() const;
  // The point at `index`; the zero vector outside the list.
  D3DXVECTOR2 operator[](int32_t index) const;
  int32_t GetCount() const;
};

class CValueArrayVec3 : public CValue {
 public:
  CValueArrayVec3();

  operator D3DXVECTOR3() const;
  D3DXVECTOR3 operator[](int32_t index) const;
  int32_t GetCount() const;
};

// The Var variants behave exactly like their bases; effects use them for the settings
// that scripts usually animate.
class CValueVarFloat : public CValueFloat {
 public:
  using CValueFloat::CValueFloat;
};
class CValueVarLong : public CValueLong {
 public:
  using CValueLong::CValueLong;
};
class CValueVarColor : public CValueColor {
 public:
  using CValueColor::CValueColor;
};
class CValueVarString : public CValueString {
 public:
  using CValueString::CValueString;
};
class CValueVarVec2 : public CValueVec2 {
 public:
  using CValueVec2::CValueVec2;
};
class CValueVarVec3 : public CValueVec3 {
 public:
  using CValueVec3::CValueVec3;
};
