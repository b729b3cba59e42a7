// The catalogue of scheme files and the highlighters loaded from them.
#include "app/SchemeCatalogue.h"

#include <algorithm>

#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"
#include "highlighting/XmlDom.h"

namespace {

// The information element sits at the head of a scheme; a file without its end within this many
// bytes is not read further.
constexpr int64_t maxHeadBytes = 1 << 20;

AnsiString ReadHead(const WideString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
  const int64_t size = std::min<int64_t>(stream.Size(), maxHeadBytes);
  AnsiString text(static_cast<size_t>(size), '\0');
  if (size > 0) stream.ReadBuffer(text.data(), static_cast<int32_t>(size));
  return text;
}

// The start of the element named Name at or after From: "<Name" followed by a blank, ">" or "/".
size_t FindElementStart(const AnsiString& Text, const char* Name, size_t From) {
  const AnsiString open = AnsiString("<") + Name;
  for (size_t at = Text.find(open, From); at != AnsiString::npos; at = Text.find(open, at + 1)) {
    const size_t next = at + open.size();
    if (next < Text.size() && std::string_view(" \t\r\n>/").find(Text[next]) != std::string_view::npos) return at;
  }
  return AnsiString::npos;
}

AnsiString ChildText(const IXmlNode& Node, const char* Name) {
  IXmlNode child = Node->FindChildByName(Name);
  return child ? child->Text() : AnsiString();
}

// Line 5 of a scheme (counted from 1 at LF bytes) holds its general information element.
AnsiString FifthLine(const AnsiString& Text) {
  size_t start = 0;
  for (int line = 1; line < 5; ++line) {
    const size_t lf = Text.find('\n', start);
    if (lf == AnsiString::npos) return AnsiString();
    start = lf + 1;
  }
  const size_t lf = Text.find('\n', start);
  return Text.substr(start, lf == AnsiString::npos ? AnsiString::npos : lf - start);
}

// The general information element of line 5 alone, read inside the scheme's own frame; false when
// that line holds no such element with the attributes.
bool ParseFifthLine(const AnsiString& Text, THighInfo& Info) {
  const AnsiString line = FifthLine(Text);
  if (Trim(line).empty() || line.find("<General") == AnsiString::npos) return false;
  const AnsiString framed = "<TxtXmlHighlighter>  <SyntaxColoring>    <Info>      " + line +
                            "    </Info>  </SyntaxColoring></TxtXmlHighlighter>";
  try {
    IXmlDocument document = CreateXmlDocument();
    document->LoadFromText(framed);
    IXmlElement root = document->DocumentElement();
    if (!root) return false;
    IXmlNode coloring = root->FindChildByName("SyntaxColoring");
    IXmlNode info = coloring ? coloring->FindChildByName("Info") : IXmlNode();
    IXmlNode general = info ? info->FindChildByName("General") : IXmlNode();
    if (!general || !(general->HasAttribute("Name") || general->HasAttribute("Extensions"))) return false;
    Info.Name = general->GetAttribute("Name");
    Info.Extensions = general->GetAttribute("Extensions");
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

HV_PUBLISH(THighUiItem) {}

THighInfo ParseSchemeInfo(const AnsiString& Text) {
  THighInfo info;
  if (ParseFifthLine(Text, info)) return info;
  const size_t start = FindElementStart(Text, "Info", 0);
  if (start == AnsiString::npos) return info;
  const size_t end = Text.find("</Info>", start);
  if (end == AnsiString::npos) return info;
  // The oldest format writes quotes as "&qt;", which no XML reader knows.
  AnsiString element = Text.substr(start, end + 7 - start);
  for (size_t at = element.find("&qt;"); at != AnsiString::npos; at = element.find("&qt;", at + 6))
    element.replace(at, 4, "&quot;");
  try {
    IXmlDocument document = CreateXmlDocument();
    document->LoadFromText(element);
    IXmlElement root = document->DocumentElement();
    if (!root) return info;
    IXmlNode general = root->FindChildByName("General");
    if (!general) return info;
    if (general->HasAttribute("Name") || general->HasAttribute("Extensions")) {
      info.Name = general->GetAttribute("Name");
      info.Extensions = general->GetAttribute("Extensions");
    } else {
      info.Name = ChildText(general, "Name");
      info.Extensions = ChildText(general, "FileTypeName");
    }
  } catch (const Exception&) {
    return THighInfo();
  }
  return info;
}

THighInfo ReadSchemeInfo(const WideString& FileName) {
  try {
    if (!FileExists(FileName)) return THighInfo();
    return ParseSchemeInfo(ReadHead(FileName));
  } catch (const Exception&) {
    return THighInfo();
  }
}

std::vector<AnsiString> SplitExtensions(const AnsiString& Extensions) {
  static constexpr std::string_view delimiter = ", ";
  std::vector<AnsiString> result;
  size_t from = 0;
  while (from < Extensions.size()) {
    size_t at = Extensions.find(delimiter, from);
    if (at == AnsiString::npos) at = Extensions.size();
    result.push_back(Extensions.substr(from, at - from));
    from = at + delimiter.size();
  }
  return result;
}

THighList::THighList(const WideString& Folder)
    : folder_(IncludeTrailingPathDelimiter(Folder)), plain_(std::make_unique<TTxtXmlHighlighter>(nullptr)) {}

THighList::~THighList() = default;

const std::vector<WideString>& THighList::Files() {
  if (listed_) return files_;
  listed_ = true;
  TSearchRec rec;
  for (int found = FindFirst(folder_ + L"*.xml", faAnyFile, rec); found == 0; found = FindNext(rec))
    if (!(rec.Attr & faDirectory)) files_.push_back(folder_ + rec.Name);
  FindClose(rec);
  std::sort(files_.begin(), files_.end(),
            [](const WideString& a, const WideString& b) { return WideCompareText(a, b) < 0; });
  return files_;
}

AnsiString THighList::ReadInfo(const WideString& FileName, const AnsiString& Attribute) {
  const THighInfo info = ReadSchemeInfo(FileName);
  if (Attribute == "Name") return info.Name;
  if (Attribute == "Extensions") return info.Extensions;
  return AnsiString();
}

TTxtXmlHighlighter* THighList::FindByExtension(const WideString& Ext) {
  if (Ext.size() < 2) return nullptr;
  const WideString ext = WideLowerCase(Ext.substr(1));
  for (const auto& [cached, file] : extensionCache_)
    if (cached == ext) return GetByFileName(file);
  for (const WideString& file : Files()) {
    for (const AnsiString& listed : SplitExtensions(ReadInfo(file, "Extensions"))) {
      if (WideLowerCase(AnsiToWide(listed)) != ext) continue;
      TTxtXmlHighlighter* highlighter = GetByFileName(file);
      extensionCache_.emplace_back(ext, file);
      return highlighter;
    }
  }
  return nullptr;
}

TTxtXmlHighlighter* THighList::FindLoaded(const WideString& FileName) const {
  for (const auto& h : loaded_)
    if (WideSameText(h->FileName, FileName)) return h.get();
  return nullptr;
}

TTxtXmlHighlighter* THighList::GetByFileName(const WideString& FileName) {
  if (TTxtXmlHighlighter* found = FindLoaded(FileName)) return found;
  auto highlighter = std::make_unique<TTxtXmlHighlighter>(nullptr);
  highlighter->LoadFromFile(FileName);
  highlighter->FileName = FileName;
  loaded_.push_back(std::move(highlighter));
  return loaded_.back().get();
}

WideString THighList::BuildFilter() {
  WideString filter;
  for (const WideString& file : Files()) {
    AnsiString masks;
    for (const AnsiString& ext : SplitExtensions(ReadInfo(file, "Extensions"))) {
      if (!masks.empty()) masks += "; ";
      masks += "*." + ext;
    }
    const WideString wideMasks = AnsiToWide(masks);
    filter += L"|" + AnsiToWide(ReadInfo(file, "Name")) + L" (" + wideMasks + L")|" + Trim(wideMasks);
  }
  return filter;
}
