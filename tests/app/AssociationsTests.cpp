// File associations in the test prefix's registry: registering over another program's type and a
// new extension, undoing from the backup, restoring at start-up, the preferences page's choice,
// damaged backups. Every key touched is removed afterwards.
#include <gtest/gtest.h>

#include <random>

#include "app/Associations.h"
#include "app/Options.h"
#include "framework/Registry.h"
#include "tests/framework/TestFiles.h"

namespace {

class AssociationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    for (const wchar_t* key :
         {L"\\.hvq", L"\\hvqfile", L"\\.hvn", L"\\hvnfile", L"\\.hvm", L"\\hvmfile", L"\\HalcornVerdanAssociations"})
      reg.DeleteKey(key);
  }
  // The default value (or Name) of a key; "<none>" when the key is missing.
  WideString Value(const WideString& Key, const WideString& Name = L"") {
    if (!reg.OpenKey(Key, false)) return L"<none>";
    const WideString v = reg.ReadString(Name);
    reg.CloseKey();
    return v;
  }
  void Set(const WideString& Key, const WideString& Data) {
    if (reg.OpenKey(Key, true)) reg.WriteString(L"", Data);
  }
  // ".hvq" owned by another program, with a command and an icon of its own.
  void OtherProgramOwnsHvq() {
    Set(L"\\.hvq", L"OtherProgram.hvq");
    Set(L"\\hvqfile\\shell\\open\\command", L"other.exe %1");
    Set(L"\\hvqfile\\DefaultIcon", L"other.exe,1");
  }
  WideString OwnIcon() { return AssociationCommand().substr(1, AssociationCommand().size() - 7) + L",0"; }
  TRegistry reg;
};

TEST_F(AssociationsTest, RegisteringAnotherProgramsTypeKeepsItsBackupAndUndoGivesItBack) {
  OtherProgramOwnsHvq();
  ASSERT_TRUE(RegisterAssociation(L"hvq", true));
  ASSERT_TRUE(RegisterAssociation(L"hvq", true));  // must not back up the program's own keys
  EXPECT_EQ(Value(L"\\.hvq") + Value(L"\\hvqfile\\DefaultIcon"), L"hvqfileother.exe,1");
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command"), AssociationCommand());
  EXPECT_EQ(Value(L"\\HalcornVerdanAssociations\\hvq"), L"other.exe %1");
  Set(L"\\.hvq", L"Stolen");  // restoring at start-up takes the extension back, icon kept
  ASSERT_TRUE(RestoreAssociations());
  EXPECT_EQ(Value(L"\\.hvq") + Value(L"\\hvqfile\\DefaultIcon"), L"hvqfileother.exe,1");

  ASSERT_TRUE(RegisterAssociation(L"hvq", false));
  EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command") + Value(L"\\hvqfile\\DefaultIcon"), L"other.exe %1other.exe,1");
  EXPECT_EQ(Value(L"\\.hvq") + Value(L"\\HalcornVerdanAssociations\\hvq"), L"OtherProgram.hvq<none>");
}

TEST_F(AssociationsTest, NewExtensionsLeaveNothingBehindAndUndoingTwiceChangesNothing) {
  OtherProgramOwnsHvq();
  ASSERT_TRUE(RegisterAssociation(L"hvn", true));
  RegisterAssociation(L"hvq", true);
  const WideString command = Value(L"\\hvnfile\\shell\\open\\command");
  EXPECT_EQ(command.substr(0, 1) + command.substr(command.size() - 10), L"\".exe\" \"%1\"");
  EXPECT_EQ(Value(L"\\hvnfile\\DefaultIcon"), OwnIcon());
  TStringListW list;
  GetAssociatedExtensions(&list);
  EXPECT_EQ(list.Text(), L"hvn\r\nhvq\r\n");
  for (int twice = 0; twice < 2; ++twice) {
    ASSERT_TRUE(UnregisterAllAssociations());
    EXPECT_FALSE(reg.KeyExists(L"\\.hvn") || reg.KeyExists(L"\\hvnfile"));
    EXPECT_EQ(Value(L"\\.hvq") + Value(L"\\hvqfile\\shell\\open\\command"), L"OtherProgram.hvqother.exe %1");
  }
  Clean();
  GetAssociatedExtensions(&list);  // no backup key: the list stays
  EXPECT_EQ(list.Count(), 2);
  EXPECT_TRUE(UnregisterAllAssociations() && RestoreAssociations());
}

TEST_F(AssociationsTest, ThePreferencesChoiceRegistersWhatIsCheckedAndReadsItBack) {
  TTestFolder folder;
  TOptions options(folder.Write(L"p.ini", ""));
  TAssociationChoice choice;
  choice.Other = choice.RestoreAtStartUp = true;
  choice.OtherText = L"  .HVN   .hvm  -- ";
  EXPECT_EQ(ChosenExtensions(choice), (std::vector<WideString>{L"hvn", L"hvm"}));

  ASSERT_TRUE(ApplyAssociationChoice(choice, options));
  EXPECT_TRUE(options.RestoreFileAssociationsAtStartUp);
  const TAssociationChoice shown = ReadAssociationChoice(options, TAssociationChoice());
  EXPECT_TRUE(shown.Other && !shown.Txt && shown.RestoreAtStartUp);
  EXPECT_EQ(shown.OtherText, L".hvm .hvn");

  ASSERT_TRUE(ApplyAssociationChoice(TAssociationChoice(), options));
  EXPECT_FALSE(reg.KeyExists(L"\\hvmfile"));
  const TAssociationChoice empty = ReadAssociationChoice(options, TAssociationChoice());
  EXPECT_TRUE(!empty.Other && empty.OtherText == L".lng .todo");
}

bool notAdministrator() { return false; }
bool administrator() { return true; }

// OK on the preferences page touches the registry only for a user who may change it and a
// choice other than what is registered: a command planted in the program's own keys shows
// whether they were undone and written again.
TEST_F(AssociationsTest, TheChoiceTouchesTheRegistryOnlyWhenAllowedAndChanged) {
  TTestFolder folder;
  TOptions options(folder.Write(L"p.ini", ""));
  const struct {
    bool admin;
    const wchar_t* other;  // the "Other" text, checked; null: nothing checked
    bool restore;
    bool rewritten;             // the planted command replaced
    const wchar_t* registered;  // afterwards
  } cases[] = {
      {true, L".hvq", true, false, L"hvq\r\n"},
      {true, L" .HVQ  .hvq ", false, false, L"hvq\r\n"},
      {false, nullptr, false, false, L"hvq\r\n"},
      {false, L".hvn", false, false, L"hvq\r\n"},
      {true, L".hvq .hvn", true, true, L"hvn\r\nhvq\r\n"},
      {true, nullptr, false, true, L""},
  };
  for (const auto& c : cases) {
    Clean();
    ASSERT_TRUE(RegisterAssociation(L"hvq", true));
    Set(L"\\hvqfile\\shell\\open\\command", L"planted %1");
    options.RestoreFileAssociationsAtStartUp = !c.restore;
    const TAdministratorCheck previous = SetAdministratorCheck(c.admin ? administrator : notAdministrator);
    TAssociationChoice choice;
    choice.Other = c.other != nullptr;
    if (c.other) choice.OtherText = c.other;
    choice.RestoreAtStartUp = c.restore;
    EXPECT_TRUE(ApplyAssociationChoice(choice, options)) << c.other;
    EXPECT_EQ(IsAdministrator(), c.admin);
    SetAdministratorCheck(previous);
    EXPECT_EQ(Value(L"\\hvqfile\\shell\\open\\command") != L"planted %1", c.rewritten) << c.other;
    EXPECT_EQ(options.RestoreFileAssociationsAtStartUp, c.admin ? c.restore : !c.restore) << c.other;
    TStringListW list;
    GetAssociatedExtensions(&list);
    EXPECT_EQ(list.Text(), c.registered) << c.other;
  }
  EXPECT_TRUE(IsAdministrator()) << "the system's check is back";
}

// Backup entries edited by hand or by other programs: values of any type, or missing.
TEST_F(AssociationsTest, DamagedBackupsEndInAResultNeverACrash) {
  std::mt19937 random(141);
  for (int round = 0; round < 150; ++round) {
    for (const wchar_t* ext : {L"hvq", L"hvn"}) {
      reg.OpenKey(WideString(L"\\HalcornVerdanAssociations\\") + ext, true);
      for (const wchar_t* name : {L"", L"DefaultIcon", L"Existed", L"Type"}) {
        const uint32_t r = random();
        if (r % 4 == 1) reg.WriteString(name, std::wstring(r % 5, L'a'));
        if (r % 4 == 2) reg.WriteInteger(name, static_cast<int>(r));
        if (r % 4 == 3) reg.WriteBinaryData(name, &r, r % 5);
      }
      reg.CloseKey();
    }
    ASSERT_TRUE(RestoreAssociations() && UnregisterAllAssociations()) << round;
    TStringListW list;
    GetAssociatedExtensions(&list);
    ASSERT_EQ(list.Count(), 0);
    Clean();
  }
}

}  // namespace
