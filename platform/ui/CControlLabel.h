#pragma once
// What a person calls a control: the caption of a button, check box, radio button or group
// box, or for a text field, list or tree the label just before it in its dialog; shown
// without the "&" that marks a mnemonic letter.
#include "brindle/export.h"
#include "platform/ui/CString.h"

class CWnd;

class BRINDLE_EXPORT CControlLabel {
 public:
  // "&Next >" -> "Next >"; "&&" stands for one "&".
  static CString StripMnemonics(const CString& text);
  // The letter after a single "&" ("News&Item name:" -> 'I'); 0 when there is none.
  static char Mnemonic(const CString& text);
  // Whether a person acts on the control itself (it can take the keyboard focus).
  static bool TakesFocus(const CWnd& control);
  // The window whose text names `control`: itself when it has a caption of its own, else
  // the label before it among its siblings with no other focusable control between them;
  // none when nothing names it.
  static const CWnd* LabelOf(const CWnd& control);
  // The name of `control` without mnemonic marks and without a trailing colon; empty when
  // nothing names it.
  static CString NameOf(const CWnd& control);
};
