// Records the translatable texts of the program's forms: creates each form, numbers its texts
// through its language controller, writes the form file back with the new "LangData", and
// writes the default language file of the program's own texts.
//
//   LangTool <folder of form files> <output folder>
#include <cstdio>
#include <string>

#include "app/AboutFrm.h"
#include "app/CharacterFrm.h"
#include "app/CloseAllFrm.h"
#include "app/CustomizeFrm.h"
#include "app/DocumentFrm.h"
#include "app/FindAndReplaceFrm.h"
#include "app/KeyboardShortcutsFrm.h"
#include "app/LinesProcessingFrm.h"
#include "app/Global.h"
#include "app/MainFrm.h"
#include "app/PageSetupFrm.h"
#include "app/PreferencesFrm.h"
#include "app/SortFrm.h"
#include "app/StatisticsFrm.h"
#include "editor/TxtEdit.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/FrameworkClasses.h"
#include "framework/Streams.h"
#include "framework/StrRoutines.h"

namespace {

std::string ReadFileBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead | fmShareDenyWrite);
  std::string s(static_cast<size_t>(f.Size()), '\0');
  if (!s.empty()) f.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

void WriteFileBytes(const WideString& Name, const std::string& Bytes) {
  TFileStream f(Name, fmCreate);
  if (!Bytes.empty()) f.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

TLgLanguageController* FindController(TComponent* Form) {
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TLgLanguageController*>(Form->Components(i))) return c;
  return nullptr;
}

// The lines of the controller's object in the form file get a fresh "LangData" property (32
// bytes of upper-case hex per line), in place of the one they had.
std::string WithLangData(const std::string& Text, const std::string& ControllerName, const std::string& Data) {
  const std::string head = "object " + ControllerName + ": TLgLanguageController";
  size_t at = Text.find(head);
  if (at == std::string::npos) throw Exception("The form file has no object " + ControllerName);
  const size_t lineStart = Text.rfind('\n', at) + 1;
  const std::string indent = Text.substr(lineStart, at - lineStart);
  const size_t end = Text.find("\n" + indent + "end", at);
  std::string body = Text.substr(at, end - at);
  const size_t old = body.find("\n" + indent + "  LangData = {");
  if (old != std::string::npos) body.erase(old, body.find('}', old) + 1 - old);
  std::string prop = "\n" + indent + "  LangData = {";
  static const char hex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < Data.size(); ++i) {
    if (i % 32 == 0) prop += "\n" + indent + "    ";
    prop += hex[static_cast<unsigned char>(Data[i]) >> 4];
    prop += hex[static_cast<unsigned char>(Data[i]) & 15];
  }
  prop += "}";
  return Text.substr(0, at) + body + prop + Text.substr(end);
}

// The section of one form in the default language file: each text after a comment naming it.
WideString LanguageSection(TLgLanguageController& Controller) {
  WideString text = L"\r\n[" + Controller.ActualSectionName() + L"]\r\n";
  for (const WideString& line : Controller.LangSourceLines()) {
    const size_t eq = line.find(L'=');
    const size_t comma = line.find(L',', eq);
    text += L"; " + line.substr(0, eq) + L"\r\n" + line.substr(eq + 1, comma - eq - 1) + L"=" + line.substr(comma + 1) +
            L"\r\n";
  }
  return text;
}

template <class F>
WideString RecordForm(const WideString& InDir, const WideString& OutDir, const WideString& FileName) {
  F* form = New<F>(Application);
  TLgLanguageController* controller = FindController(form);
  if (!controller) throw Exception(WideToUtf8(FileName) + " has no language controller");
  controller->UpdateEntries(true);
  TMemoryStream data;
  controller->RootEntry().WriteToStream(data);
  const std::string bytes(static_cast<const char*>(data.Memory()), static_cast<size_t>(data.Size()));
  WriteFileBytes(OutDir + FileName, WithLangData(ReadFileBytes(InDir + FileName), controller->Name(), bytes));
  const WideString section = LanguageSection(*controller);
  delete form;
  return section;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: LangTool <folder of form files> <output folder>\n", stderr);
    return 2;
  }
  try {
    RegisterAppClasses();
    TMainForm::RecordingTexts() = true;
    const WideString in = IncludeTrailingPathDelimiter(argv[1]);
    const WideString out = IncludeTrailingPathDelimiter(argv[2]);
    WideString lng =
        L"; The program's own texts (US English). A translation keeps the numbers and\r\n"
        L"; gives each its text; \\n is a line break, \\t a tab, \\\\ a backslash.\r\n"
        L"LANGID=1033\r\n";
    lng += RecordForm<TMainForm>(in, out, L"TMainForm.form");
    lng += RecordForm<TDocumentFrame>(in, out, L"TDocumentFrame.form");
    lng += RecordForm<TCloseAllForm>(in, out, L"TCloseAllForm.form");
    lng += RecordForm<TFindAndReplaceForm>(in, out, L"TFindAndReplaceForm.form");
    lng += RecordForm<TSortForm>(in, out, L"TSortForm.form");
    lng += RecordForm<TLinesProcessingForm>(in, out, L"TLinesProcessingForm.form");
    lng += RecordForm<TStatisticsForm>(in, out, L"TStatisticsForm.form");
    lng += RecordForm<TPageSetupForm>(in, out, L"TPageSetupForm.form");
    lng += RecordForm<TKeyboardShortcutsForm>(in, out, L"TKeyboardShortcutsForm.form");
    lng += RecordForm<TPreferencesForm>(in, out, L"TPreferencesForm.form");
    lng += RecordForm<TCharacterForm>(in, out, L"TCharacterForm.form");
    lng += RecordForm<TAboutForm>(in, out, L"TAboutForm.form");
    lng += RecordForm<TCustomizeForm>(in, out, L"TCustomizeForm.form");
    WriteFileBytes(out + L"English.lng",
                   "\xFF\xFE" + std::string(reinterpret_cast<const char*>(lng.data()), lng.size() * 2));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "LangTool: %s\n", e.what());
    return 1;
  }
  return 0;
}
