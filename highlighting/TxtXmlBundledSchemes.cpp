// The bundled highlighting schemes and the choice by extension.
#include "highlighting/TxtXmlBundledSchemes.h"

#include <algorithm>
#include <memory>

#include "framework/FileRoutines.h"
#include "framework/Streams.h"
#include "framework/StrRoutines.h"
#include "framework/Win.h"

namespace {

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR Name, LONG_PTR Param) {
  if (!IS_INTRESOURCE(Name)) reinterpret_cast<std::vector<WideString>*>(Param)->emplace_back(Name);
  return TRUE;
}

}  // namespace

std::vector<WideString> BundledSchemeNames(const wchar_t* ResourceType) {
  std::vector<WideString> names;
  EnumResourceNamesW(GetModuleHandleW(nullptr), ResourceType, CollectName, reinterpret_cast<LONG_PTR>(&names));
  std::sort(names.begin(), names.end());
  return names;
}

AnsiString BundledSchemeText(const WideString& Name, const wchar_t* ResourceType) {
  try {
    TResourceStream stream(GetModuleHandleW(nullptr), Name, ResourceType);
    return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  } catch (const EResNotFound&) {
    return AnsiString();
  }
}

bool SchemeListsExtension(const AnsiString& Extensions, const WideString& FileName) {
  WideString ext = ExtractFileExt(FileName);
  if (ext.size() < 2) return false;
  const AnsiString wanted = WideToAnsi(ext.substr(1));
  size_t start = 0;
  for (;;) {
    const size_t comma = Extensions.find(", ", start);
    if (SameText(Extensions.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start), wanted))
      return true;
    if (comma == AnsiString::npos) return false;
    start = comma + 2;
  }
}

TTxtXmlHighlighter* CreateHighlighterForFile(TComponent* Owner, const WideString& FileName) {
  for (const WideString& name : BundledSchemeNames()) {
    auto highlighter = std::make_unique<TTxtXmlHighlighter>(nullptr);
    TStringStream stream(BundledSchemeText(name));
    try {
      highlighter->LoadFromStream(&stream);
    } catch (const Exception&) {
      continue;  // a scheme that cannot be read colours nothing
    }
    if (!SchemeListsExtension(highlighter->Info()->General.Extensions, FileName)) continue;
    TTxtXmlHighlighter* result = highlighter.release();
    if (Owner) Owner->InsertComponent(result);
    return result;
  }
  return nullptr;
}
