// TxtXmlBundledSchemes: the highlighting schemes compiled into the program, and the choice of
// one by a file's extension.
#pragma once

#include <vector>

#include "highlighting/TxtXmlHighlighter.h"

// The resource names of the bundled schemes, sorted.
std::vector<WideString> BundledSchemeNames(const wchar_t* ResourceType = L"SCHEME");
// The bytes of a bundled scheme; empty when there is none of that name.
AnsiString BundledSchemeText(const WideString& Name, const wchar_t* ResourceType = L"SCHEME");
// Whether Extensions (extensions without dots, joined by ", ") lists the extension of FileName,
// in any letter case.
bool SchemeListsExtension(const AnsiString& Extensions, const WideString& FileName);
// A highlighter, owned by Owner, with the first bundled scheme (in name order) that lists the
// file's extension; null when none does.
TTxtXmlHighlighter* CreateHighlighterForFile(TComponent* Owner, const WideString& FileName);
