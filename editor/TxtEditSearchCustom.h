// What the editor's search and replace needs from a search engine.
#pragma once

#include <string_view>

#include "editor/TxtEditTypes.h"
#include "framework/Component.h"

class TRegExprBudget;

// What the editor's search and replace needs from a search engine.
class TTxtEditSearchCustom : public TComponent {
  HV_CLASS(TTxtEditSearchCustom, TComponent)
 public:
  explicit TTxtEditSearchCustom(TComponent* AOwner) : TComponent(AOwner) {}

  virtual AnsiString GetPattern() = 0;
  virtual void SetPattern(const AnsiString& Value) = 0;
  // Length and 1-based start of match Index of the last FindAll.
  virtual int GetLength(int Index) = 0;
  virtual int GetResult(int Index) = 0;
  virtual int GetResultCount() = 0;
  virtual void SetOptions(TSearchReplaceOptions Value) = 0;
  // Finds every match in one line, replacing the previous results; returns their count.
  virtual int FindAll(const AnsiString& NewText) = 0;
  // The text that replaces the match Found.
  virtual AnsiString Replace(const AnsiString& AFound, const AnsiString& AReplace) = 0;
  // FindAll over text that is not a string of its own (a line of the buffer); an engine that
  // can search it where it lies saves the copy.
  virtual int FindAllIn(std::string_view Text) { return FindAll(AnsiString(Text)); }
  // The budget of the command whose searches follow (null: none); an engine whose searches
  // cannot explode ignores it.
  virtual void SetBudget(TRegExprBudget*) {}
};
