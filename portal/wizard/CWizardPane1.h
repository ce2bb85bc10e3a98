#pragma once
// The wizard's first page: the NewsItem's name and description. For a known NewsItem
// they are the portal's; otherwise the host's document name and an empty description.

#include "platform/ui/CString.h"
#include "portal/wizard/CWizardPage.h"

class CWizardPane1 : public CWizardPage {
  BR_DECLARE_RUNTIMECLASS(CWizardPane1)

 public:
  CWizardPane1(PortalPublisher& publisher, const char* defaultName);
  ~CWizardPane1() override;

  const CString& GetNewsItemName() const { return m_strNewsItemName; }
  const CString& GetDescription() const { return m_strDescription; }

  void DoDataExchange(CDataExchange* pDX) override;
  bool OnInitDialog() override;
  bool OnSetActive() override;
  long OnWizardNext() override;
  bool OnWizardFinish() override;
  void OnCancel() override;

 protected:
  void OnFinishFailed() override;

 private:
  void StoreFields();

  PortalPublisher* m_pPublisher;
  CString m_strNewsItemName;
  CString m_strDescription;
};
