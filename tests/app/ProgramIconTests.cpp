// The program's icon: the executable carries it at 16, 32 and 48 pixels as its first icon (the
// one the shell and the file associations show), and the main window shows it.
#include <gtest/gtest.h>

#include <set>

#include "framework/Application.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

#pragma pack(push, 2)
struct TGroupIconEntry {
  BYTE Width, Height, Colours, Reserved;
  WORD Planes, BitCount;
  DWORD Bytes;
  WORD Id;
};
#pragma pack(pop)

BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR Name, LONG_PTR Found) {
  auto* name = reinterpret_cast<WideString*>(Found);
  *name = IS_INTRESOURCE(Name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(Name)) : WideString(Name);
  return FALSE;
}

}  // namespace

TEST(ProgramIcon, TheExecutableCarriesItAtEverySizeAsItsFirstIcon) {
  const WideString exe = BuildPath(L"app\\Verdan.exe");
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  WideString first;
  EnumResourceNamesW(module, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
  EXPECT_EQ(first, L"MAINICON");
  HRSRC group = FindResourceW(module, L"MAINICON", RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const TGroupIconEntry*>(data + 6 + i * sizeof(TGroupIconEntry));
    EXPECT_EQ(entry->Width, entry->Height);
    EXPECT_EQ(entry->BitCount, 32);
    sizes.insert(entry->Width);
    // Each image is there, as large as the group says.
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entry->Id), RT_ICON);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(SizeofResource(module, image), entry->Bytes);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));
  FreeLibrary(module);
  // What the shell takes for the program and its documents (",0").
  HICON large = nullptr, little = nullptr;
  ASSERT_EQ(ExtractIconExW(exe.c_str(), 0, &large, &little, 1), 2u);
  EXPECT_TRUE(large && little);
  DestroyIcon(large);
  DestroyIcon(little);
}

using ProgramWindowIcon = DocumentTest;

TEST_F(ProgramWindowIcon, TheMainWindowAndTheApplicationWindowShowIt) {
  ASSERT_NE(Application->Icon(false), nullptr);
  ASSERT_NE(Application->Icon(true), nullptr);
  TMainForm& form = Make();
  const HWND window = form.Handle();
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)), Application->Icon(false));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), Application->Icon(true));
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(Application->Handle(), GCLP_HICON)), Application->Icon(false));
}
