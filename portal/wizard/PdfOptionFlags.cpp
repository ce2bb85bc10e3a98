#include "portal/wizard/PdfOptionFlags.h"

namespace brindle::wizard {
namespace {

bool BitOf(uint32_t word, int bit) { return ((word >> bit) & 1u) != 0; }
uint32_t Mask(int bit) { return uint32_t{1} << bit; }

struct TableRowEntry {
  bool axes;
  bool legend;
  bool summaries;
  bool title;
};

// Rows 0 to 8 are the display kinds; row 9 enables nothing.
constexpr TableRowEntry kEnablingTable[10] = {
    {true, false, true, false},   // 0
    {true, false, false, false},  // 1
    {false, true, false, true},   // 2
    {false, true, false, true},   // 3
    {false, false, false, true},  // 4
    {true, false, true, true},    // 5
    {true, false, false, true},   // 6
    {true, true, true, true},     // 7
    {true, true, false, true},    // 8
    {false, false, false, false}, // 9
};

}  // namespace

void PdfOptionFlags::Load(uint32_t word) {
  for (int bit = kPdfPageLayout; bit <= kPdfFontSubstitution; ++bit) Set(bit, BitOf(word, bit));
  Set(kPdfHostBit12, BitOf(word, kPdfHostBit12) && BitOf(word, kPdfHostBit18));
}

uint32_t PdfOptionFlags::Store(uint32_t hostWord) const {
  uint32_t word = hostWord & (Mask(kPdfNoCurrency) | Mask(kPdfNoLongShortNames));
  static constexpr int kPlainBits[] = {
      kPdfPageLayout, kPdfSelectedDisplays, kPdfEntireReport, kPdfAxes, kPdfSummaryRow,
      kPdfSummaryColumn, kPdfTitle, kPdfLegend, kPdfSummariesInSelection, kPdfSelectionEnablesAll,
      kPdfAllowSummaryRow, kPdfAllowSummaryColumn, kPdfHostBit12, kPdfHostBit13, kPdfHostBit18,
      kPdfFontSubstitution};
  for (int bit : kPlainBits) {
    if (Get(bit)) word |= Mask(bit);
  }
  if (Get(kPdfHostBit10)) {
    word |= Mask(kPdfHostBit10);
  } else if (Get(kPdfHostBit11)) {
    word |= Mask(kPdfHostBit11);
  }
  return word;
}

int PdfOptionFlags::TableRow(int displayKind, bool displays) {
  if (!displays || displayKind < 0 || displayKind >= kNoDisplayRow) return kNoDisplayRow;
  return displayKind;
}

PdfEnabledOptions PdfOptionFlags::Enabled(int displayKind, bool displays) const {
  PdfEnabledOptions enabled;
  if (Get(kPdfSelectionEnablesAll) && Get(kPdfSelectedDisplays)) {
    enabled.axes = enabled.legend = enabled.title = true;
    enabled.summaryRow = Get(kPdfSummariesInSelection) && Get(kPdfAllowSummaryRow);
    enabled.summaryColumn = Get(kPdfSummariesInSelection) && Get(kPdfAllowSummaryColumn);
    return enabled;
  }
  const TableRowEntry& row = kEnablingTable[TableRow(displayKind, displays)];
  enabled.axes = row.axes;
  enabled.legend = row.legend;
  enabled.title = row.title;
  enabled.summaryRow = row.summaries && Get(kPdfAllowSummaryRow);
  enabled.summaryColumn = row.summaries && Get(kPdfAllowSummaryColumn);
  return enabled;
}

}  // namespace brindle::wizard
