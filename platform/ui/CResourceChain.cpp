#include "platform/ui/CResourceChain.h"

#include <algorithm>
#include <mutex>

#include "platform/ui/CResourceModule.h"

namespace {

struct Chain {
  std::mutex mutex;
  const CResourceModule* application = nullptr;
  std::vector<const CResourceModule*> extensions;  // most recent first

  std::vector<const CResourceModule*> InOrder() const {
    std::vector<const CResourceModule*> order;
    order.reserve(extensions.size() + 1);
    if (application) order.push_back(application);
    for (const CResourceModule* module : extensions) {
      if (module != application) order.push_back(module);
    }
    return order;
  }
};

// Never destroyed: modules of other libraries leave the chain while the process exits.
Chain& TheChain() {
  static Chain* chain = new Chain;
  return *chain;
}

template <typename Find>
auto FirstMatch(Find find) -> decltype(find(static_cast<const CResourceModule*>(nullptr))) {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  for (const CResourceModule* module : chain.InOrder()) {
    if (auto found = find(module)) return found;
  }
  return nullptr;
}

}  // namespace

void CResourceChain::SetApplicationModule(const CResourceModule* module) {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  chain.application = module;
}

void CResourceChain::Attach(const CResourceModule* module) {
  if (!module) return;
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  auto& list = chain.extensions;
  list.erase(std::remove(list.begin(), list.end(), module), list.end());
  list.insert(list.begin(), module);
}

void CResourceChain::Detach(const CResourceModule* module) {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  auto& list = chain.extensions;
  list.erase(std::remove(list.begin(), list.end(), module), list.end());
  if (chain.application == module) chain.application = nullptr;
}

bool CResourceChain::IsAttached(const CResourceModule* module) {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  const auto& list = chain.extensions;
  return chain.application == module || std::find(list.begin(), list.end(), module) != list.end();
}

std::vector<const CResourceModule*> CResourceChain::Modules() {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  return chain.InOrder();
}

bool CResourceChain::LoadString(unsigned id, CString& text) {
  Chain& chain = TheChain();
  std::lock_guard<std::mutex> lock(chain.mutex);
  for (const CResourceModule* module : chain.InOrder()) {
    if (const CString* found = module->FindString(id)) {
      text = *found;
      return true;
    }
  }
  return false;
}

CString CResourceChain::GetString(unsigned id) {
  CString text;
  LoadString(id, text);
  return text;
}

const CDialogTemplate* CResourceChain::FindDialogTemplate(unsigned id) {
  return FirstMatch([id](const CResourceModule* module) { return module->FindDialogTemplate(id); });
}

const CBitmapResource* CResourceChain::FindBitmap(unsigned id) {
  return FirstMatch([id](const CResourceModule* module) { return module->FindBitmap(id); });
}
