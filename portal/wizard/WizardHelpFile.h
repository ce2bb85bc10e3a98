#pragma once
// The help file the wizard's context help opens, chosen from the host's help file.

#include "platform/ui/CString.h"

namespace brindle::wizard {

// A host help file path holding "BRINDLE.HLP", or else "BRXLSRV.HLP", in any letter case,
// is cut before that name and given the wizard's own "BRCUtil.HLP", so help opens the
// wizard's file in the host's folder; any other path is returned unchanged. The name is
// matched without regard to case, but the folder keeps its case: file names are
// case-sensitive here, so an upper-cased folder would not exist.
CString WizardHelpFilePath(const CString& hostHelpFile);

}  // namespace brindle::wizard
