#pragma once
// The root of the framework's class tree: a virtual destructor and a run-time class record.
#include "brindle/export.h"
#include "platform/ui/CRuntimeClass.h"

class BRINDLE_EXPORT CObject {
 public:
  static const CRuntimeClass classCObject;

  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
  virtual ~CObject();

  virtual const CRuntimeClass* GetRuntimeClass() const;
  // True when this object's class is `cls` or derives from it.
  bool IsKindOf(const CRuntimeClass* cls) const;
};
