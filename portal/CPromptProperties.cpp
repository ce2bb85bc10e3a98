#include "brindle/BRCUtil.h"

CPromptProperties::CPromptProperties() = default;

CPromptProperties::CPromptProperties(const CPromptProperties& other) = default;

CPromptProperties& CPromptProperties::operator=(const CPromptProperties& other) {
  if (this == &other) return *this;
  m_bDimensionLineFiltering = other.m_bDimensionLineFiltering;
  m_bCurrency = other.m_bCurrency;
  m_bLongShortNames = other.m_bLongShortNames;
  m_bZeroSuppression = other.m_bZeroSuppression;
  m_bSwap = other.m_bSwap;
  m_filterableLines = other.m_filterableLines;
  m_nExtra = other.m_nExtra;
  return *this;
}

CPromptProperties::~CPromptProperties() = default;
