// Conversions of the editor's option and status sets to their stored bit values, and the caret
// shapes.
#include "editor/TxtEditOptions.h"

namespace {

template <class E>
uint32_t ToBits(const TSet<E>& Set) {
  uint32_t bits = 0;
  for (int i = 0; i <= EnumHigh<E>(); ++i)
    if (Set.Contains(static_cast<E>(i))) bits |= 1u << i;
  return bits;
}

}  // namespace

uint32_t TxtEditOptionsToBits(const TTxtEditorOptions& Options) { return ToBits(Options); }

TTxtEditorOptions TxtEditOptionsFromBits(uint32_t Bits) {
  TTxtEditorOptions options;
  for (int i = 0; i <= EnumHigh<TTxtEditorOption>(); ++i)
    if (Bits & (1u << i)) options.Include(static_cast<TTxtEditorOption>(i));
  return options;
}

uint16_t TxtStatusChangesToBits(const TTxtStatusChanges& Changes) { return static_cast<uint16_t>(ToBits(Changes)); }

TTxtCaretShape TxtEditCaretShape(TTxtEditCaretType CaretType, int CharWidth, int TextHeight) {
  // Very small line heights still get a caret of one pixel rather than none.
  const int h = TextHeight - 2;
  const int height = h < 1 ? 1 : h;
  const int half = h / 2 < 1 ? 1 : h / 2;
  switch (CaretType) {
    case ctHorizontalLine: return {CharWidth, 2, 0, h};
    case ctHalfBlock: return {CharWidth, half, 0, h / 2};
    case ctBlock: return {CharWidth, height, 0, 0};
    case ctVerticalLine:
    default: return {2, height, -1, 0};
  }
}
