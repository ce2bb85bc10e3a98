#include "platform/ui/CMessageBox.h"

#include "platform/ui/CResourceChain.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/CUiDriver.h"

int CMessageBox::Show(const char* text, unsigned type, const char* caption, const CWnd* owner,
                      unsigned helpId) {
  CMessageBoxRequest request;
  request.text = text;
  request.caption = (caption && *caption) ? CString(caption) : CUiApp::GetAppName();
  request.type = type;
  request.helpId = helpId;
  request.owner = owner;
  const int answer = CUiApp::GetDriver().MessageBox(request);
  // A driver that answers with a button the box does not have gets the close answer.
  for (int offered : request.Buttons()) {
    if (offered == answer) return answer;
  }
  return request.CloseAnswer();
}

int CMessageBox::ShowString(unsigned stringId, unsigned type, const CWnd* owner) {
  return Show(CResourceChain::GetString(stringId), type, nullptr, owner, stringId);
}
