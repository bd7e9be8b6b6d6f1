// CValueRegistry: remembers the values an effect or resource registered, in registration
// order, so that tools and tests can list an object's settings as its script sees them.
#pragma once

#include <vector>

#include "params/dataprovider.h"
#include "params/value.h"

namespace effects {

class CValueRegistry {
 public:
  virtual ~CValueRegistry() = default;

  int GetRegisteredCount() const { return static_cast<int>(m_registered.size()); }
  // The value at a 0-based registration position, null outside; its name is the script name.
  CValue* GetRegisteredValue(int index) const {
    return index >= 0 && index < GetRegisteredCount() ? m_registered[index] : nullptr;
  }

 protected:
  // Registers `value` with its owner under `name` (CDataProvider::AddValue) and records it.
  void Register(CDataProvider* owner, CValue* value, const char* name) {
    owner->AddValue(value, name);
    m_registered.push_back(value);
  }

 private:
  std::vector<CValue*> m_registered;
};

}  // namespace effects
