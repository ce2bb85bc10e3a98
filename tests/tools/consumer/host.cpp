// A host of the installed libraries: uses the tree and its exceptions, the bes* interface,
// the message library that libbradm.so loads beside itself, and libBRCUtil.so's entry points.
// Prints what it saw and exits with 0 when all of it worked.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "brindle/BRCUtil.h"
#include "brindle/bradm.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CatalogueEntry.h"
#include "platform/external/bradmtoolMsg.h"

namespace {

// A host's own visitor: counts the text leaves an accept walk reports.
class TextCounter : public AttributeTreeVisitor {
 public:
  int text(const char*, TextAttribute*) override { return ++texts; }
  int texts = 0;
};

}  // namespace

int main() {
  AttributeTree tree;
  tree.setText("report.name", "sales");
  tree.setText("report.owner", "finance");
  TextCounter counter;
  tree.accept(counter, "", -1);
  bool caught = false;
  try {
    tree.getInteger("report.name");
  } catch (const NodeNotFoundException&) {
    caught = true;
  }

  // A name stored out of order: reading the children puts it in place (the library merges).
  tree.setText("report.date", "today");
  std::string names;
  for (const auto& [name, child] : tree.getBranch("report")->children()) names += name + ",";

  const int listed = besList("/", &tree);  // no session: 1 at once

  const CatalogueEntry* entry = besMsgInitialize();
  const char* message =
      entry ? reinterpret_cast<BrwebGetMessageFn>(entry->getMessage)(4) : nullptr;

  CString portal, error, newsItemId;  // no NewsItem Id: fails before any connection
  const unsigned char republished = brRepublishToLumoraNoUi(
      "", "127.0.0.1:1", &portal, nullptr, 0, "user", "password", &error, &newsItemId);

  Dl_info library{};
  dladdr(reinterpret_cast<void*>(&besLogin), &library);
  std::printf("caught=%d visited=%d children=%s listed=%d message=%s republished=%d error=%s bradm=%s\n",
              caught ? 1 : 0, counter.texts, names.c_str(), listed, message ? message : "(none)", republished,
              error.GetString(), library.dli_fname ? library.dli_fname : "(unknown)");
  return caught && counter.texts == 2 && names == "date,name,owner," && listed == 1 && message != nullptr &&
                 republished == 0 && !error.IsEmpty()
             ? 0
             : 1;
}
