// The editor control's option bits, status-change reports, caret shapes and internal state
// flags: the small value types that every part of the control and its users share.
#pragma once

#include <cstdint>

#include "framework/ScrollStyle.h"
#include "framework/Sets.h"
#include "framework/TypeInfo.h"

// The ordinal of each option is its bit in the stored 32-bit value.
HV_ENUM(TTxtEditorOption, eoAltSetsColumnMode, eoAutoIndent, eoAutoSizeMaxScrollWidth, eoDisableScrollArrows,
        eoDragDropEditing, eoDropFiles, eoEnhanceHomeKey, eoEnhanceEndKey, eoGroupUndo, eoHalfPageScroll,
        eoHideShowScrollbars, eoKeepCaretX, eoNoCaret, eoNoSelection, eoRightMouseMovesCursor, eoScrollByOneLess,
        eoScrollHintFollows, eoScrollPastEof, eoScrollPastEol, eoShowScrollHint, eoShowSpecialChars, eoSmartTabDelete,
        eoSmartTabs, eoSpecialLineDefaultFg, eoTabIndent, eoTabsToSpaces, eoTrimTrailingSpaces)
using TTxtEditorOptions = TSet<TTxtEditorOption>;

// The options a new control has: 026C0192 hex.
inline constexpr TTxtEditorOptions TxtEditDefaultOptions{eoAutoIndent,     eoDragDropEditing, eoEnhanceEndKey,
                                                         eoGroupUndo,      eoScrollPastEol,   eoShowScrollHint,
                                                         eoSmartTabDelete, eoSmartTabs,       eoTabsToSpaces};

// The options as their 32-bit value and back (bits above the last option are dropped).
uint32_t TxtEditOptionsToBits(const TTxtEditorOptions& Options);
TTxtEditorOptions TxtEditOptionsFromBits(uint32_t Bits);

// What changed since the last report; the ordinal is the bit of the 16-bit value.
HV_ENUM(TTxtStatusChange, scAll, scCaretX, scCaretY, scLeftChar, scTopLine, scInsertMode, scModified, scSelection,
        scReadOnly)
using TTxtStatusChanges = TSet<TTxtStatusChange>;

uint16_t TxtStatusChangesToBits(const TTxtStatusChanges& Changes);

HV_ENUM(TTxtEditCaretType, ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock)
HV_ENUM(TScrollHintFormat, shfTopLineOnly, shfTopToBottom)
HV_ENUM(TTransientType, ttBefore, ttAfter)

// The size of a caret shape and where it sits relative to the top-left corner of its cell.
struct TTxtCaretShape {
  int Width = 0;
  int Height = 0;
  int OffsetX = 0;
  int OffsetY = 0;
  bool operator==(const TTxtCaretShape&) const = default;
};

TTxtCaretShape TxtEditCaretShape(TTxtEditCaretType CaretType, int CharWidth, int TextHeight);

// Internal states of the control; the ordinal is the bit of the 16-bit value.
HV_ENUM(TTxtStateFlag, sfCaretChanged, sfScrollbarChanged, sfLinesChanging, sfIgnoreNextChar, sfCaretVisible,
        sfDblClicked, sfPossibleGutterClick, sfWaitForDragging, sfGutterDragging)
using TTxtStateFlags = TSet<TTxtStateFlag>;

// The answer to a prompted replacement.
HV_ENUM(TTxtReplaceAction, raCancel, raSkip, raReplace, raReplaceAll)
