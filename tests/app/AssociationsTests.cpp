// File associations in the test prefix's registry: registration over an existing type and a new
// one, the undo from the backup, repeated registration, restoring at start-up, the preferences
// page's choice, and the administrator test. Every key touched is removed afterwards.
#include <gtest/gtest.h>

#include <random>

#include "app/Associations.h"
#include "app/Options.h"
#include "framework/Registry.h"
#include "tests/framework/TestFiles.h"

namespace {

const wchar_t* const kTouched[] = {L"\\.hvq", L"\\hvqfile", L"\\OtherProgram.hvq", L"\\.hvn", L"\\hvnfile",
                                   L"\\.hvm", L"\\hvmfile", L"\\HalcornVerdanAssociations"};

class AssociationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    reg.SetRootKey(HKEY_CLASSES_ROOT);
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    TRegistry r;
    r.SetRootKey(HKEY_CLASSES_ROOT);
    for (const wchar_t* key : kTouched) r.DeleteKey(key);
  }
  // The default value (or Name) of a key; "<none>" when the key is missing.
  WideString Value(const WideString& Key, const WideString& Name = L"") {
    if (!reg.OpenKey(Key, false)) return L"<none>";
    const WideString v = reg.ReadString(Name);
    reg.CloseKey();
    return v;
  }
  void Set(const WideString& Key, const WideString& Data) {
    ASSERT_TRUE(reg.OpenKey(Key, true));
    reg.WriteString(L"", Data);
    reg.CloseKey();
  }
  // ".hvq" owned by another program, with a command and an icon of its own.
  void OtherProgramOwnsHvq() {
    Set(L"\\.hvq", L"OtherProgram.hvq");
    Set(L"\\hvqfile\\shell\\open\\command", L"other.exe %1");
    Set(L"\\hvqfile\\DefaultIcon", L"other.exe,1");
  }
  TRegistry reg;
};

TEST_F(AssociationsTest, RegisteringAnExistingTypeKeepsItsBackupAndUndoGivesItBack) {
  OtherProgramOwnsHvq();
  ASSERT_TRUE(RegisterAssociation(L"hvq", true));
  EXPECT_EQ(Value(L"\\.hvq"), L"hvqfile");
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command"), AssociationCommand());
  EXPECT_EQ(Value(L"\\hvqfile\\DefaultIcon"), L"other.exe,1");
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq"), L"other.exe %1");
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq", L"DefaultIcon"), L"other.exe,1");
  ASSERT_TRUE(reg.OpenKey(L"\\HalcornVerdanAssociations\\hvq", false));
  EXPECT_TRUE(reg.ReadBool(L"Existed"));
  reg.CloseKey();

  // A second registration does not back up the program's own command.
  ASSERT_TRUE(RegisterAssociation(L"hvq", true));
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq"), L"other.exe %1");

  ASSERT_TRUE(RegisterAssociation(L"hvq", false));
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command"), L"other.exe %1");
  EXPECT_EQ(Value(L"\\hvqfile\\DefaultIcon"), L"other.exe,1");
  EXPECT_EQ(Value(L"\\.hvq"), L"OtherProgram.hvq");
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq"), L"<none>");
}

TEST_F(AssociationsTest, ANewExtensionLeavesNothingBehindAndTheCommandIsQuoted) {
  ASSERT_TRUE(RegisterAssociation(L"hvn", true));
  const WideString command = Value(L"\\hvnfile\\shell\\open\\command");
  EXPECT_EQ(command.front(), L'"');
  EXPECT_EQ(command.substr(command.size() - 10), L".exe\" \"%1\"");
  EXPECT_EQ(Value(L"\\hvnfile\\DefaultIcon"), command.substr(1, command.size() - 7) + L",0");
  ASSERT_TRUE(RegisterAssociation(L"hvn", false));
  EXPECT_FALSE(reg.KeyExists(L"\\.hvn"));
  EXPECT_FALSE(reg.KeyExists(L"\\hvnfile"));
}

TEST_F(AssociationsTest, UnregisterAllTwiceChangesNothingTheSecondTime) {
  OtherProgramOwnsHvq();
  RegisterAssociation(L"hvq", true);
  RegisterAssociation(L"hvn", true);
  TStringListW list;
  list.Add(L"untouched");
  GetAssociatedExtensions(&list);
  EXPECT_EQ(list.Text(), L"hvn\r\nhvq\r\n");
  ASSERT_TRUE(UnregisterAllAssociations());
  EXPECT_TRUE(reg.KeyExists(L"\\HalcornVerdanAssociations"));
  EXPECT_FALSE(reg.KeyExists(L"\\.hvn"));
  EXPECT_EQ(Value(L"\\.hvq"), L"OtherProgram.hvq");
  ASSERT_TRUE(UnregisterAllAssociations());
  EXPECT_EQ(Value(L"\\.hvq"), L"OtherProgram.hvq");
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command"), L"other.exe %1");
  GetAssociatedExtensions(&list);
  EXPECT_EQ(list.Count(), 0);

  Clean();
  list.Add(L"kept");
  GetAssociatedExtensions(&list);  // no backup key: the list stays
  EXPECT_EQ(list.Text(), L"kept\r\n");
  EXPECT_TRUE(UnregisterAllAssociations());
  EXPECT_TRUE(RestoreAssociations());
}

TEST_F(AssociationsTest, RestoreWritesTheProgramsKeysAgainWithTheSavedIcons) {
  OtherProgramOwnsHvq();
  RegisterAssociation(L"hvq", true);
  RegisterAssociation(L"hvn", true);
  Set(L"\\.hvq", L"Stolen");
  Set(L"\\hvqfile\\shell\\open\\command", L"thief.exe");
  Set(L"\\hvnfile\\DefaultIcon", L"thief.exe,2");
  ASSERT_TRUE(RestoreAssociations());
  EXPECT_EQ(Value(L"\\.hvq"), L"hvqfile");
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command"), AssociationCommand());
  EXPECT_EQ(Value(L"\\hvqfile\\DefaultIcon"), L"other.exe,1");
  const WideString command = AssociationCommand();
  EXPECT_EQ(Value(L"\\hvnfile\\DefaultIcon"), command.substr(1, command.size() - 7) + L",0");
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq"), L"other.exe %1");
}

TEST_F(AssociationsTest, ThePreferencesChoiceRegistersWhatIsCheckedAndReadsItBack) {
  TTestFolder folder;
  TOptions options(folder.Write(L"p.ini", ""));
  TAssociationChoice choice;
  choice.Other = true;
  choice.OtherText = L"  .HVN   .hvm  -- ";
  choice.RestoreAtStartUp = true;
  EXPECT_EQ(ChosenExtensions(choice), (std::vector<WideString>{L"hvn", L"hvm"}));
  TAssociationChoice fixed;
  fixed.Txt = fixed.Log = true;
  fixed.Other = true;
  fixed.OtherText = L"";
  EXPECT_EQ(ChosenExtensions(fixed), (std::vector<WideString>{L"txt", L"log"}));

  ASSERT_TRUE(ApplyAssociationChoice(choice, options));
  EXPECT_TRUE(options.RestoreFileAssociationsAtStartUp);
  EXPECT_TRUE(reg.KeyExists(L"\\hvmfile"));
  const TAssociationChoice shown = ReadAssociationChoice(options, TAssociationChoice());
  EXPECT_TRUE(shown.Other);
  EXPECT_EQ(shown.OtherText, L".hvm .hvn");
  EXPECT_FALSE(shown.Txt);
  EXPECT_TRUE(shown.RestoreAtStartUp);

  ASSERT_TRUE(ApplyAssociationChoice(TAssociationChoice(), options));
  EXPECT_FALSE(reg.KeyExists(L"\\hvmfile"));
  TStringListW list;
  GetAssociatedExtensions(&list);
  EXPECT_EQ(list.Count(), 0);
  const TAssociationChoice empty = ReadAssociationChoice(options, TAssociationChoice());
  EXPECT_FALSE(empty.Other);
  EXPECT_EQ(empty.OtherText, L".lng .todo");
  options.RestoreFileAssociationsAtStartUp = false;
}

// Backup entries edited by hand or by other programs: values of any type, or missing.
TEST_F(AssociationsTest, DamagedBackupsEndInAResultNeverACrash) {
  std::mt19937 random(141);
  const wchar_t* const names[] = {L"", L"DefaultIcon", L"Existed", L"Type"};
  for (int round = 0; round < 150; ++round) {
    for (const wchar_t* ext : {L"hvq", L"hvn"}) {
      ASSERT_TRUE(reg.OpenKey(WideString(L"\\HalcornVerdanAssociations\\") + ext, true));
      for (const wchar_t* name : names) {
        switch (random() % 4) {
          case 0: break;
          case 1: reg.WriteString(name, std::wstring(random() % 5, L'a' + random() % 26)); break;
          case 2: reg.WriteInteger(name, static_cast<int>(random())); break;
          default: {
            const uint8_t bytes[3] = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
            reg.WriteBinaryData(name, bytes, random() % 4);
          }
        }
      }
      reg.CloseKey();
    }
    TStringListW list;
    GetAssociatedExtensions(&list);
    ASSERT_EQ(list.Count(), 2);
    ASSERT_TRUE(RestoreAssociations()) << round;
    ASSERT_TRUE(UnregisterAllAssociations()) << round;
    GetAssociatedExtensions(&list);
    ASSERT_EQ(list.Count(), 0);
    Clean();
  }
}

TEST(Associations, TheProcessRunsAsAnAdministrator) {
  EXPECT_TRUE(IsAdministrator());
  EXPECT_FALSE(IsGroupMember(0x7FFF));
}

}  // namespace
