// The catalogue of scheme files in the "Highlighters" folder beside the program: their names and
// extensions read from each file's information element, the highlighters loaded on first use and
// shared by every document that uses one, and the filter part of the open and save dialogs.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "highlighting/TxtXmlHighlighter.h"
#include "themes/SkinItem.h"

// What a scheme file says of itself; both empty when the file holds no readable information.
struct THighInfo {
  AnsiString Name;
  AnsiString Extensions;  // without dots, joined by ", "
};

// Reads the information element of a scheme file in any of its formats: first the general
// element on line 5, as the current format writes it, read inside the scheme's frame; otherwise
// the attributes "Name" and "Extensions" of Info/General wherever it stands, or the child elements
// "Name" and "FileTypeName" of the oldest format. Only the head of the file up to the end of that element is read and
// parsed. Empty on any failure (no file, no element, bad XML).
THighInfo ReadSchemeInfo(const WideString& FileName);
// The same for the text of a scheme file.
THighInfo ParseSchemeInfo(const AnsiString& Text);

class THighList {
 public:
  // Folder: the folder of the scheme files, with or without its trailing "\".
  explicit THighList(const WideString& Folder);
  ~THighList();
  THighList(const THighList&) = delete;
  THighList& operator=(const THighList&) = delete;

  // The full paths of every "*.xml" file of the folder, sorted without regard to case; read once.
  const std::vector<WideString>& Files();
  void ListFiles(std::vector<WideString>& List) { List = Files(); }
  // The attribute "Name" or "Extensions" of the file, read from it at each call; empty on any
  // failure.
  AnsiString ReadInfo(const WideString& FileName, const AnsiString& Attribute);
  // The highlighter of the first scheme (in file order) that lists the extension (with its leading
  // dot, any letter case); null when none does or Ext has nothing after the dot.
  TTxtXmlHighlighter* FindByExtension(const WideString& Ext);
  // The loaded highlighter of that file (names compared without regard to case), else null.
  TTxtXmlHighlighter* FindLoaded(const WideString& FileName) const;
  // FindLoaded, else the file loaded into a new highlighter kept by the catalogue. A file that
  // fails to load raises and keeps nothing.
  TTxtXmlHighlighter* GetByFileName(const WideString& FileName);
  // "|Name (*.a; *.b)|*.a; *.b" for each scheme file in order.
  WideString BuildFilter();
  // The highlighter of documents without a scheme: an empty one that colours nothing.
  TTxtXmlHighlighter* Plain() const { return plain_.get(); }
  int LoadedCount() const { return static_cast<int>(loaded_.size()); }
  // The look-ups that found a scheme: extension (lower case) and scheme file.
  const std::vector<std::pair<WideString, WideString>>& ExtensionCache() const { return extensionCache_; }

 private:
  WideString folder_;
  bool listed_ = false;
  std::vector<WideString> files_;
  std::vector<std::pair<WideString, WideString>> extensionCache_;
  std::unique_ptr<TTxtXmlHighlighter> plain_;
  std::vector<std::unique_ptr<TTxtXmlHighlighter>> loaded_;
};

// Splits a scheme's extension list at each ", " (the pieces as they stand; a list that ends in
// the pair adds no empty piece after it).
std::vector<AnsiString> SplitExtensions(const AnsiString& Extensions);

// A radio item of the syntax-highlighting submenu: "No highlighting" or one scheme file.
class THighUiItem : public TSkinItem {
  HV_CLASS(THighUiItem, TSkinItem)
 public:
  explicit THighUiItem(TComponent* AOwner) : TSkinItem(AOwner) {}
  bool IsPlain = false;
  WideString FileName;
};
