#include "platform/ui/CObject.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};

namespace {
const CRuntimeClass::Registrar registrarCObject(&CObject::classCObject);
}

CObject::~CObject() = default;

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
  return GetRuntimeClass()->IsDerivedFrom(cls);
}
