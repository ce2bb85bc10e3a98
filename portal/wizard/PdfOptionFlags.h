#pragma once
// The PDF options word of the host as the PDF page edits it: one flag per bit 2 to 19,
// the rules that load them from the word and store them back, and which of the
// selected-display check boxes may be used.

#include <array>
#include <cstddef>
#include <cstdint>

namespace brindle::wizard {

// Bits of the host's PDF options word.
enum PdfOptionBit : int {
  kPdfNoCurrency = 0,
  kPdfNoLongShortNames = 1,
  kPdfPageLayout = 2,
  kPdfSelectedDisplays = 3,
  kPdfEntireReport = 4,
  kPdfAxes = 5,
  kPdfSummaryRow = 6,
  kPdfSummaryColumn = 7,
  kPdfTitle = 8,
  kPdfLegend = 9,
  kPdfHostBit10 = 10,
  kPdfHostBit11 = 11,
  kPdfHostBit12 = 12,
  kPdfHostBit13 = 13,
  kPdfSummariesInSelection = 14,
  kPdfSelectionEnablesAll = 15,
  kPdfAllowSummaryRow = 16,
  kPdfAllowSummaryColumn = 17,
  kPdfHostBit18 = 18,
  kPdfFontSubstitution = 19,
};

// Which selected-display check boxes are enabled; font substitution always is.
struct PdfEnabledOptions {
  bool axes = false;
  bool legend = false;
  bool summaryRow = false;
  bool summaryColumn = false;
  bool title = false;

  bool operator==(const PdfEnabledOptions& other) const {
    return axes == other.axes && legend == other.legend && summaryRow == other.summaryRow &&
           summaryColumn == other.summaryColumn && title == other.title;
  }
};

class PdfOptionFlags {
 public:
  // The row used for "nothing enabled": page layout view, or an unknown display kind.
  static constexpr int kNoDisplayRow = 9;

  PdfOptionFlags() = default;
  explicit PdfOptionFlags(uint32_t word) { Load(word); }

  // Bit 12 is taken only together with bit 18; every other bit 2 to 19 as read.
  void Load(uint32_t word);
  // Bits 0 and 1 of hostWord are kept, bits 20 to 31 cleared, bit 11 dropped when
  // bit 10 is set.
  uint32_t Store(uint32_t hostWord) const;

  bool Get(int bit) const { return IsFlagBit(bit) && m_flags[static_cast<std::size_t>(bit)] != 0; }
  void Set(int bit, bool on) {
    if (IsFlagBit(bit)) m_flags[static_cast<std::size_t>(bit)] = on ? 1 : 0;
  }

  // The enabling rule: with displays false, or a display kind outside 0 to 8, the
  // enabling table's row 9 applies, unless selected-display mode with bit 15 wins.
  PdfEnabledOptions Enabled(int displayKind, bool displays) const;

  static int TableRow(int displayKind, bool displays);

 private:
  static bool IsFlagBit(int bit) { return bit >= kPdfPageLayout && bit <= kPdfFontSubstitution; }

  std::array<int32_t, 20> m_flags{};
};

}  // namespace brindle::wizard
