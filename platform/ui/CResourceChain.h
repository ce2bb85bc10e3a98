#pragma once
// The process-wide resource chain that every resource lookup walks. Order: the
// application's module (when one is set), then the attached extension modules, the most
// recently attached first. The first module holding the id answers.
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CBitmapResource.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CString.h"

class CResourceModule;

class BRINDLE_EXPORT CResourceChain {
 public:
  // The host's own module, searched first; none to clear. Not owned.
  static void SetApplicationModule(const CResourceModule* module);
  // Joins / leaves the chain (CExtensionModule does this). Attaching a module that is
  // already attached moves it to the front. Not owned.
  static void Attach(const CResourceModule* module);
  static void Detach(const CResourceModule* module);
  static bool IsAttached(const CResourceModule* module);
  // The modules in lookup order.
  static std::vector<const CResourceModule*> Modules();

  // Copies the text of string `id` into `text`; false (text unchanged) when no module has it.
  static bool LoadString(unsigned id, CString& text);
  // The text of string `id`; the empty text when no module has it.
  static CString GetString(unsigned id);
  // The first module's template / bitmap with that id; none when no module has it. The
  // pointer stays valid while its module is attached and unchanged.
  static const CDialogTemplate* FindDialogTemplate(unsigned id);
  static const CBitmapResource* FindBitmap(unsigned id);
};
