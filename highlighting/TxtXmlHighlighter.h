// TxtXmlHighlighter: the highlighter whose whole behaviour comes from a loaded rule tree. It
// follows the editor's token loop one line at a time and keeps, as the range value between
// lines, the range in force together with the symbol pair that opened it.
#pragma once

#include <memory>

#include "highlighting/TxtXmlRules.h"

class TTxtXmlHighlighter : public TTxtCustomHighlighter {
  HV_CLASS(TTxtXmlHighlighter, TTxtCustomHighlighter)
 public:
  explicit TTxtXmlHighlighter(TComponent* AOwner);
  ~TTxtXmlHighlighter() override;

  void DefineProperties(TFiler* Filer) override;
  TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override;
  TTxtCharSet GetIdentChars() const override;
  AnsiString GetSampleSource() const override;
  void SetSampleSource(const AnsiString& Value) override;
  AnsiString GetLanguageName() const override { return "XmlLanguage"; }
  bool GetEol() const override { return eol_; }
  void* GetRange() const override;
  AnsiString GetToken() const override;
  TTxtHighlighterAttributes* GetTokenAttribute() const override;
  int GetTokenKind() const override { return 1; }
  int GetTokenPos() const override { return tokenPos_; }
  void Next() override;
  void NextToEol() override;
  void SetLine(const AnsiString& NewValue, int LineNumber) override;
  void SetRange(void* Value) override;
  void ResetRange() override;
  // Without nested ranges the root is the only range a line can end in.
  bool RangeNeverChanges() const override { return mainRules_->RangeCount() == 0; }

  // Prepares the rule tree and tells the editors.
  void Reset();
  // Empties the rules, removes every colour scheme and the information; editors are told, so
  // that no range value of the old tree is used again.
  void Clear();
  void ActivateScheme(TTxtScheme* Scheme);
  void LoadFromFile(const WideString& AFileName);
  void LoadFromStream(TStream* Stream);
  // Always in the newest format.
  void SaveToStream(TStream* Stream);
  // Takes the rules, schemes, information, editor colours and custom data of Source (a
  // highlighter just filled by an import), then tells the editors.
  void TakeContent(TTxtXmlHighlighter& Source);

  TTxtRange* MainRules() const { return mainRules_.get(); }
  TTxtRange* CurrentRange() const { return current_.Range; }
  TTxtToken* CurrentToken() const { return token_; }
  TEditorProperties* EditorProperties() const { return editorProperties_.get(); }
  TTxtInfo* Info() const { return info_.get(); }
  TTxtXmlSchemes* Schemes() const { return schemes_.get(); }
  TStringList* CustomData() const { return customData_.get(); }
  int Run() const { return run_; }
  int LineNumber() const { return lineNumber_; }

  TTxtScheme* ActiveScheme = nullptr;
  WideString FileName;
  AnsiString FormatVersion;

 private:
  void ReadSyntax(TReader& Reader);
  void WriteSyntax(TWriter& Writer);
  bool HasSyntax() const;
  void EnterRoot();
  // Leaves the current range for the state it was opened from; the root is never left.
  void CloseCurrent();

  std::unique_ptr<TTxtRange> mainRules_;
  std::unique_ptr<TEditorProperties> editorProperties_;
  std::unique_ptr<TTxtInfo> info_;
  std::unique_ptr<TTxtXmlSchemes> schemes_;
  std::unique_ptr<TStringList> customData_;

  TTxtRangeState current_{};
  TTxtToken* closing_ = nullptr;
  TTxtToken* token_ = nullptr;
  AnsiString text_;
  AnsiString scan_;  // the line with embedded NUL bytes made blanks, when it has any
  const char* line_ = "";
  int lineNumber_ = 0;
  int tokenPos_ = 0;
  int run_ = 0;
  bool eol_ = false;
  bool lineEndReached_ = false;
};

// Registers the highlighter for form files and among the placeable highlighters.
void RegisterTxtXmlHighlighterClasses();
