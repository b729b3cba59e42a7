// What the character map and the character palette show is what they insert: each cell is drawn
// into a metafile, the character it draws read back as Unicode, and compared with the character
// that lands in the document, under code page 1252 (this process) and 1251 (a copy of this test
// program started under the Russian locale).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/CharPalette.h"
#include "app/CharacterFrm.h"
#include "app/NSStringGrid.h"
#include "editor/TxtEdit.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ControlCanvas.h"
#include "framework/Graphics.h"
#include "framework/Streams.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiItems.h"
#include "themes/UiThemes.h"

namespace {

int CALLBACK collectText(HDC, HANDLETABLE*, const ENHMETARECORD* Record, int, LPARAM Data) {
  if (Record->iType != EMR_EXTTEXTOUTW) return 1;
  const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(Record);
  const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(Record) + out->emrtext.offString);
  reinterpret_cast<WideString*>(Data)->append(chars, out->emrtext.nChars);
  return 1;
}

// The text that Paint draws on a canvas, as the metafile records it.
template <class F>
WideString drawnText(TCanvas& Canvas, F Paint) {
  HDC metafile = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Canvas.SetHandle(metafile);
  Paint();
  Canvas.SetHandle(nullptr);
  HENHMETAFILE recorded = CloseEnhMetaFile(metafile);
  WideString text;
  EnumEnhMetaFile(nullptr, recorded, collectText, &text, nullptr);
  DeleteEnhMetaFile(recorded);
  return text;
}

// The document's only line as the user reads it: 8-bit text in the ANSI code page.
WideString landed(TTxtEdit* Editor) { return AnsiToWide(Editor->Lines()->Count() ? Editor->Lines()->Strings(0) : ""); }

using CharacterCodePage = DocumentTest;

// Under this process's code page: every code of the map and of the palette draws the character
// that inserting it puts into the document. Under 1252 the map's code 193 is "Á", under 1251 "Б".
TEST_F(CharacterCodePage, TheMapAndThePaletteInsertTheCharacterTheirCellsShow) {
  const UINT codePage = GetACP();
  ASSERT_TRUE(codePage == 1252 || codePage == 1251) << codePage;
  // Started by the test below: under the code page it asked for.
  if (const wchar_t* expected = _wgetenv(L"VERDAN_EXPECTED_CODE_PAGE")) {
    ASSERT_EQ(codePage, UINT(_wtoi(expected)));
  }
  Make();
  TTxtEdit* editor = Editor(0);
  std::unique_ptr<TCharacterForm> map(New<TCharacterForm>(nullptr, Doc(0)));
  map->Show();
  TNSStringGrid* grid = map->strngrdCharacter;
  auto palette = std::make_unique<TCharPalette>(nullptr);
  TCharViewer viewer(nullptr, palette.get(), 0);
  TBitmap paletteBitmap;
  TUiItemInfo info{};
  int checked = 0;
  for (int code = 32; code <= 255; ++code) {
    SCOPED_TRACE(code);
    const int col = code % 16, row = code / 16 - 2;
    grid->SetCurrent(col, row);
    TControlCanvas::FreeDeviceContextsOf(grid);  // the window's own DC goes back before the metafile's
    const WideString shown = drawnText(*grid->Canvas(), [&] {
      map->strngrdCharacterDrawCell(grid, col, row, TRect{0, 0, 30, 26}, false);
    });
    editor->Lines()->SetText("");
    map->actnInsertExecute(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown, landed(editor)) << "the map";

    palette->Chars()->Clear();
    palette->Chars()->Add(std::to_string(code));
    UpdateRows(palette.get());
    const WideString onPalette = drawnText(*paletteBitmap.Canvas(), [&] {
      viewer.DrawCellImage(paletteBitmap.Canvas(), TRect{3, 3, 18, 18}, 0, 0, info);
    });
    editor->Lines()->SetText("");
    ASSERT_TRUE(InsertPaletteChar(palette.get(), 0, 0, editor));
    EXPECT_EQ(onPalette, landed(editor)) << "the palette";
    EXPECT_EQ(onPalette, shown) << "the map and the palette show one character for one code";
    ++checked;
    if (HasFailure()) break;
  }
  EXPECT_EQ(checked, 224);
  // The letter of the code that told the fault: what each code page reads for 193.
  grid->SetCurrent(193 % 16, 193 / 16 - 2);
  editor->Lines()->SetText("");
  map->actnInsertExecute(nullptr);
  EXPECT_EQ(landed(editor), codePage == 1251 ? L"\u0411" : L"\u00C1");
}

// The same under code page 1251: this test program started again, through the system's own
// program starter, under the Russian locale, which gives its process that code page; it runs
// the test above and leaves its exit code in a file.
TEST_F(CharacterCodePage, UnderCodePage1251Too) {
  if (GetACP() != 1252) GTEST_SKIP() << "started under another code page already";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // The shell knows the file by its Unix name, this program by the drive that maps "/".
  const WideString result = L"/tmp/verdan-cp1251-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  const WideString mapped = L"Z:" + result;
  DeleteFileW(mapped.c_str());
  WideString command =
      L"Z:\\bin\\sh -c \"LC_ALL=ru_RU.UTF-8 VERDAN_EXPECTED_CODE_PAGE=1251 wine '" + WideString(self) +
      L"' --gtest_filter=CharacterCodePage.TheMapAndThePaletteInsertTheCharacterTheirCellsShow; echo $? > " + result +
      L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      << GetLastError();
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  std::string exitCode;
  for (int i = 0; i < 1200 && exitCode.find('\n') == std::string::npos; ++i) {
    Sleep(100);
    TFileStream* file = nullptr;
    try {
      file = new TFileStream(mapped, fmOpenRead | fmShareDenyNone);
      exitCode.assign(static_cast<size_t>(file->Size()), '\0');
      if (!exitCode.empty()) file->ReadBuffer(exitCode.data(), static_cast<int>(exitCode.size()));
    } catch (const Exception&) {}
    delete file;
  }
  DeleteFileW(mapped.c_str());
  EXPECT_EQ(exitCode, "0\n") << "the test under code page 1251";
}

}  // namespace
