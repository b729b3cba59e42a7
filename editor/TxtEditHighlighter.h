// The highlighter contract: the token loop every highlighter follows, the token attribute with
// its change signalling and registry persistence, and the register of highlighter classes.
//
// The token loop, per line: ResetRange (first line) or SetRange (the state stored for the line
// before), SetLine, then GetToken / GetTokenPos / GetTokenAttribute / Next until GetEol, then
// GetRange for the state at the line's end. Tokens come in order, cover the line without
// overlap, the first is there right after SetLine, and a line of length 0 has none.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/TxtEditMethodChain.h"
#include "framework/Colors.h"
#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/Lists.h"
#include "framework/StringLists.h"
#include "framework/Win.h"

class TRegistry;

// A set of 8-bit characters.
using TTxtCharSet = TSet<unsigned char>;

// The sixteen basic colours by index, as editor colour settings number them.
extern const TColor StandardColorTable[16];

// Colours and font style of one kind of token.
class TTxtHighlighterAttributes : public TPersistent {
  HV_CLASS(TTxtHighlighterAttributes, TPersistent)
 public:
  explicit TTxtHighlighterAttributes(const AnsiString& AName);

  // From another attribute: the name, then colours and style.
  void Assign(TPersistent* Source) override;
  // Colours and style, with one change signal when anything differed.
  void AssignColorAndStyle(TTxtHighlighterAttributes* Source);
  virtual void Changed();

  // The attribute as a key below the registry accessor's open key ("Background", "Foreground",
  // "Style"); the accessor is back on its key afterwards. False when the key cannot be opened.
  bool LoadFromRegistry(TRegistry& Reg);
  bool SaveToRegistry(TRegistry& Reg);
  // Reads an editor colour entry in the old (one comma-separated value) or the new layout (a
  // key of values). False, with no exception, when anything is missing or malformed; what was
  // set before the failure stays set.
  virtual bool LoadFromIdeRegistry(HKEY RootKey, const WideString& Key, const WideString& AttrKey, bool OldStyle);

  const AnsiString& Name() const { return name_; }
  TColor Background() const { return background_; }
  void SetBackground(TColor Value);
  TColor Foreground() const { return foreground_; }
  void SetForeground(TColor Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  TColor BackgroundDefault() const { return backgroundDefault_; }
  TColor ForegroundDefault() const { return foregroundDefault_; }
  TFontStyles StyleDefault() const { return styleDefault_; }
  // The style as a number: bold 1, italic 2, underline 4, strike-out 8.
  int GetStyleFromInt() const;
  void SetStyleFromInt(int Value);

  bool IsBackgroundStored() const { return background_ != backgroundDefault_; }
  bool IsForegroundStored() const { return foreground_ != foregroundDefault_; }
  bool IsStyleStored() const { return !(style_ == styleDefault_); }

  TNotifyEvent OnChange;

 private:
  bool LoadOldLayout(HKEY RootKey, const WideString& Key, const WideString& AttrKey);
  bool LoadNewLayout(HKEY RootKey, const WideString& Key, const WideString& AttrKey);

  TColor background_ = clNone;
  TColor backgroundDefault_ = TColor(0);
  TColor foreground_ = clNone;
  TColor foregroundDefault_ = TColor(0);
  AnsiString name_;
  TFontStyles style_;
  TFontStyles styleDefault_;
};

namespace highlighter_detail {
// The attribute list and the change chain of a highlighter. They sit in a base that is
// destroyed after the component part, so that whoever is told of the highlighter's destruction
// can still unhook from it.
struct TState {
  TState() = default;
  TState(const TState&) = delete;
  TState& operator=(const TState&) = delete;
  // Frees the attribute objects, the last first.
  ~TState();
  void FreeAttributes();

  TStringList Attributes;
  TTxtNotifyEventChain AttrChangeHooks;
};
}  // namespace highlighter_detail

class TTxtCustomHighlighter : private highlighter_detail::TState, public TComponent {
  HV_CLASS(TTxtCustomHighlighter, TComponent)
 public:
  explicit TTxtCustomHighlighter(TComponent* AOwner);
  ~TTxtCustomHighlighter() override;

  void Assign(TPersistent* Source) override;
  void Loaded() override;

  virtual int GetAttribCount() const;
  // Null outside 0..count-1.
  virtual TTxtHighlighterAttributes* GetAttribute(int Index) const;
  // The editor asks for 0 (comment), 3 (string) and 4 (whitespace).
  virtual TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const = 0;
  virtual AnsiString GetDefaultFilter() const;
  virtual TTxtCharSet GetIdentChars() const;
  virtual AnsiString GetSampleSource() const;
  virtual bool IsFilterStored() const;
  virtual void SetDefaultFilter(const AnsiString& Value);
  virtual void SetSampleSource(const AnsiString& Value);
  virtual void SetWordBreakChars(const TTxtCharSet& Chars);
  virtual uint32_t GetCapabilities() const;
  virtual AnsiString GetLanguageName() const;
  virtual bool GetEol() const = 0;
  virtual void* GetRange() const;
  virtual AnsiString GetToken() const = 0;
  // Null allowed: the client then uses its own colours.
  virtual TTxtHighlighterAttributes* GetTokenAttribute() const = 0;
  virtual int GetTokenKind() const = 0;
  // 0-based start of the current token in the line.
  virtual int GetTokenPos() const = 0;
  virtual bool IsKeyword(const AnsiString& AKeyword) const;
  virtual void Next() = 0;
  // LineNumber is 0-based.
  virtual void SetLine(const AnsiString& NewValue, int LineNumber) = 0;
  virtual void SetRange(void* Value);
  virtual void ResetRange();
  virtual bool UseUserSettings(int SettingIndex);
  virtual void EnumUserSettings(TStrings* Settings);
  virtual bool LoadFromRegistry(HKEY RootKey, const WideString& Key);
  virtual bool SaveToRegistry(HKEY RootKey, const WideString& Key);

  // A highlighter may take the rest of a line in one loop of its own.
  virtual void NextToEol();
  // True when no line can leave a range other than the one ResetRange gives (nothing spans
  // lines): the editor then fills every line's range without scanning the text.
  virtual bool RangeNeverChanges() const { return false; }
  void HookAttrChangeEvent(const TNotifyEvent& ANotifyEvent);
  void UnhookAttrChangeEvent(const TNotifyEvent& ANotifyEvent);
  // Fires the change hooks with Sender, unless the highlighter is being loaded.
  void DefHighlightChange(TObject* Sender);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  const TTxtCharSet& WordBreakChars() const { return wordBreakChars_; }
  AnsiString DefaultFilter() const { return GetDefaultFilter(); }

 protected:
  // Takes ownership; its changes reach the change hooks. A second attribute of the same name is
  // refused by the list.
  void AddAttribute(TTxtHighlighterAttributes* AAttrib);
  void FreeHighlighterAttributes();
  TStringList& Attributes() { return TState::Attributes; }

 private:
  void AttributeChanged(TObject* Sender);

  bool enabled_ = true;
  TTxtCharSet wordBreakChars_;
  AnsiString defaultFilter_;
};

// The classes of highlighters that can be placed (their class information); filled at start-up.
class TTxtHighlighterList : public TList {
  HV_CLASS(TTxtHighlighterList, TList)
 public:
  TTxtHighlighterList() = default;
  const TClassInfo* ItemClass(int Index) const { return static_cast<const TClassInfo*>(Items(Index)); }
};

TTxtHighlighterList& GetPlaceableHighlighters();
// The index of the class in the register, adding it when it is not there yet.
int RegisterPlaceableHighlighter(const TClassInfo& Highlighter);
