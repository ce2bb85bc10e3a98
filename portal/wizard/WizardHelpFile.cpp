#include "portal/wizard/WizardHelpFile.h"

namespace brindle::wizard {

CString WizardHelpFilePath(const CString& hostHelpFile) {
  CString upper = hostHelpFile;
  upper.MakeUpper();
  int position = upper.Find("BRINDLE.HLP");
  if (position < 0) position = upper.Find("BRXLSRV.HLP");
  if (position < 0) return hostHelpFile;
  return hostHelpFile.Left(position) + "BRCUtil.HLP";
}

}  // namespace brindle::wizard
