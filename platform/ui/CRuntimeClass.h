#pragma once
// Run-time class records: a class's name, its base and, for classes that can be
// created by name, a factory. Records register themselves in a process-wide table.
#include "brindle/export.h"

class CObject;

struct BRINDLE_EXPORT CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  CObject* (*m_pfnCreateObject)();  // none for classes that cannot be created by name

  // Creates an object of this class; none when the class has no factory.
  CObject* CreateObject() const;
  // True when this class is `base` or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* base) const;

  // The record registered under `name` (exact spelling); none when unknown.
  static const CRuntimeClass* FromName(const char* name);
  // Creates an object of the class registered under `name`; none when unknown.
  static CObject* CreateObject(const char* name);
  // Adds a record to the table, and takes it out again (done by BR_IMPLEMENT_RUNTIMECLASS
  // through a Registrar, so a library that is unloaded leaves no record behind).
  static void Register(const CRuntimeClass* cls);
  static void Unregister(const CRuntimeClass* cls);

  struct BRINDLE_EXPORT Registrar {
    explicit Registrar(const CRuntimeClass* cls);
    ~Registrar();
    Registrar(const Registrar&) = delete;
    Registrar& operator=(const Registrar&) = delete;
    const CRuntimeClass* m_cls;
  };
};

// In the class body: gives the class its record.
#define BR_DECLARE_RUNTIMECLASS(ClassName)                         \
 public:                                                           \
  static const CRuntimeClass class##ClassName;                     \
  const CRuntimeClass* GetRuntimeClass() const override;

// As BR_DECLARE_RUNTIMECLASS, for classes with a default constructor that can be created by name.
#define BR_DECLARE_DYNCREATE(ClassName) \
  BR_DECLARE_RUNTIMECLASS(ClassName)    \
  static CObject* CreateObject();

#define BR_RUNTIME_CLASS(ClassName) (&ClassName::class##ClassName)

#define BR_IMPLEMENT_RUNTIMECLASS_WITH(ClassName, BaseName, factory)                      \
  const CRuntimeClass ClassName::class##ClassName = {#ClassName, BR_RUNTIME_CLASS(BaseName), \
                                                     factory};                            \
  const CRuntimeClass* ClassName::GetRuntimeClass() const { return BR_RUNTIME_CLASS(ClassName); } \
  namespace {                                                                             \
  const CRuntimeClass::Registrar registrar##ClassName(BR_RUNTIME_CLASS(ClassName));         \
  }

// In the source file: defines the record of a class declared with BR_DECLARE_RUNTIMECLASS.
#define BR_IMPLEMENT_RUNTIMECLASS(ClassName, BaseName) \
  BR_IMPLEMENT_RUNTIMECLASS_WITH(ClassName, BaseName, nullptr)

// In the source file: defines the record and factory of a class declared with BR_DECLARE_DYNCREATE.
#define BR_IMPLEMENT_DYNCREATE(ClassName, BaseName)               \
  CObject* ClassName::CreateObject() { return new ClassName; }    \
  BR_IMPLEMENT_RUNTIMECLASS_WITH(ClassName, BaseName, &ClassName::CreateObject)
