// TRegistry: round trips of every value kind under a scratch key that the tests delete.
#include <gtest/gtest.h>

#include <vector>

#include "framework/Registry.h"

namespace {

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = L"\\Software\\HalcornVerdanTests\\Registry" + std::to_wstring(GetCurrentProcessId());
    TRegistry reg;
    reg.DeleteKey(base_);
  }
  void TearDown() override {
    TRegistry reg;
    reg.DeleteKey(base_);
    EXPECT_FALSE(reg.KeyExists(base_));
    reg.DeleteKey(L"\\Software\\HalcornVerdanTests");
  }

  template <class F>
  static std::wstring Failure(F f) {
    try {
      f();
    } catch (const ERegistryException& e) {
      return e.Message();
    }
    return L"(no exception)";
  }

  WideString base_;
};

}  // namespace

TEST_F(RegistryTest, OpeningCreatingAndPaths) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(base_, false)) << "not there yet";
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  ASSERT_TRUE(reg.OpenKey(base_ + L"\\Deep\\Er", true)) << "creates every missing level";
  EXPECT_EQ(reg.CurrentPath(), base_.substr(1) + L"\\Deep\\Er");
  ASSERT_TRUE(reg.OpenKey(L"Child", true)) << "relative to the open key";
  EXPECT_EQ(reg.CurrentPath(), base_.substr(1) + L"\\Deep\\Er\\Child");
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), L"");
  EXPECT_TRUE(reg.KeyExists(base_ + L"\\DEEP\\er\\child")) << "key names ignore case";
  EXPECT_TRUE(reg.CreateKey(base_ + L"\\Made"));
  EXPECT_TRUE(reg.CreateKey(base_ + L"\\Made"));
  EXPECT_EQ(reg.CurrentKey(), nullptr) << "CreateKey opens nothing";
  ASSERT_TRUE(reg.OpenKeyReadOnly(base_));
  EXPECT_TRUE(reg.HasSubKeys());
  TStringListW names;
  reg.GetKeyNames(&names);
  names.Sort();
  EXPECT_EQ(names.CommaText(), L"Deep,Made");
  EXPECT_EQ(Failure([&] { reg.WriteInteger(L"x", 1); }), L"Failed to set data for 'x'") << "read-only";
  reg.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(reg.CurrentKey(), nullptr) << "a new root closes the key";
}

TEST_F(RegistryTest, ValuesRoundTrip) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_, true));
  reg.WriteString(L"Name", L"Caf\u00e9 \u0416");
  reg.WriteString(L"Empty", L"");
  reg.WriteExpandString(L"Expand", L"%TEMP%\\x");
  reg.WriteInteger(L"Int", -5);
  reg.WriteBool(L"Flag", true);
  const unsigned char bytes[] = {0, 1, 254, 255};
  reg.WriteBinaryData(L"Bin", bytes, 4);
  reg.WriteBinaryData(L"NoBytes", bytes, 0);

  EXPECT_EQ(reg.ReadString(L"Name"), L"Caf\u00e9 \u0416");
  EXPECT_EQ(reg.ReadString(L"Empty"), L"");
  EXPECT_EQ(reg.ReadString(L"Expand"), L"%TEMP%\\x") << "kept unexpanded";
  EXPECT_EQ(reg.ReadInteger(L"Int"), -5);
  EXPECT_TRUE(reg.ReadBool(L"Flag"));
  unsigned char back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData(L"Bin", back, sizeof back), 4);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(bytes, bytes + 4));
  EXPECT_EQ(reg.ReadBinaryData(L"NoBytes"), std::vector<uint8_t>());

  EXPECT_EQ(reg.GetDataType(L"Name"), rdString);
  EXPECT_EQ(reg.GetDataType(L"Expand"), rdExpandString);
  EXPECT_EQ(reg.GetDataType(L"Int"), rdInteger);
  EXPECT_EQ(reg.GetDataType(L"None"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize(L"Int"), 4);
  EXPECT_EQ(reg.GetDataSize(L"Name"), 14) << "six characters and the closing zero";
  EXPECT_EQ(reg.GetDataSize(L"None"), -1);
  EXPECT_TRUE(reg.ValueExists(L"name"));
  EXPECT_FALSE(reg.ValueExists(L"None"));

  TStringListW names;
  reg.GetValueNames(&names);
  names.Sort();
  EXPECT_EQ(names.CommaText(), L"Bin,Empty,Expand,Flag,Int,Name,NoBytes");
  EXPECT_TRUE(reg.DeleteValue(L"Int"));
  EXPECT_FALSE(reg.DeleteValue(L"Int"));
  EXPECT_FALSE(reg.HasSubKeys());

  // The open key's values are seen by another object too.
  TRegistry other;
  ASSERT_TRUE(other.OpenKeyReadOnly(base_));
  EXPECT_EQ(other.ReadString(L"Name"), L"Caf\u00e9 \u0416");
}

TEST_F(RegistryTest, LongNamesLongValuesAndTheDefaultValueRoundTrip) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_, true));
  WideString longName(1000, L'n');
  WideString longText;
  for (int i = 0; i < 20000; ++i) longText += static_cast<wchar_t>(L'a' + i % 26);
  longText += L"\u0416end";
  std::vector<uint8_t> bytes(100000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  reg.WriteString(longName, longText);
  reg.WriteBinaryData(L"Big", bytes.data(), static_cast<int>(bytes.size()));
  reg.WriteString(L"", L"default");
  ASSERT_TRUE(reg.OpenKey(base_ + L"\\" + WideString(200, L'k') + L"x", true));
  reg.CloseKey();

  TRegistry back;
  ASSERT_TRUE(back.OpenKeyReadOnly(base_));
  EXPECT_EQ(back.ReadString(longName), longText);
  EXPECT_EQ(back.ReadBinaryData(L"Big"), bytes);
  EXPECT_EQ(back.ReadString(L""), L"default");
  TStringListW names;
  back.GetValueNames(&names);
  names.Sort();
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names[0], L"");
  EXPECT_EQ(names[1], L"Big");
  EXPECT_EQ(names[2], longName) << "a name longer than the first buffer comes whole";
  back.GetKeyNames(&names);
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names[0], WideString(200, L'k') + L"x");
}

TEST_F(RegistryTest, WrongKindsAndMissingValuesGiveClearErrors) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(base_, true));
  reg.WriteString(L"Text", L"12");
  reg.WriteInteger(L"Number", 12);
  const unsigned char bytes[16] = {};
  reg.WriteBinaryData(L"Bin", bytes, 16);
  EXPECT_EQ(reg.ReadString(L"Missing"), L"") << "a missing string reads as empty";
  EXPECT_EQ(Failure([&] { reg.ReadInteger(L"Missing"); }), L"Failed to get data for 'Missing'");
  EXPECT_EQ(Failure([&] { reg.ReadInteger(L"Text"); }), L"Invalid data type for 'Text'");
  EXPECT_EQ(Failure([&] { reg.ReadString(L"Number"); }), L"Invalid data type for 'Number'");
  EXPECT_EQ(Failure([&] { reg.ReadBinaryData(L"Text"); }), L"Invalid data type for 'Text'");
  unsigned char small[4];
  EXPECT_EQ(Failure([&] { reg.ReadBinaryData(L"Bin", small, sizeof small); }), L"Failed to get data for 'Bin'");
  EXPECT_EQ(Failure([&] { reg.ReadBool(L"Missing"); }), L"Failed to get data for 'Missing'");
  reg.CloseKey();
  EXPECT_EQ(Failure([&] { reg.WriteString(L"x", L"y"); }), L"Failed to set data for 'x'") << "no key is open";
}

TEST_F(RegistryTest, DeleteKeyTakesEverythingBelow) {
  TRegistry reg;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(reg.OpenKey(base_ + L"\\Tree\\Branch" + std::to_wstring(i) + L"\\Leaf", true));
    reg.WriteInteger(L"v", i);
  }
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKey(base_, false));
  EXPECT_TRUE(reg.DeleteKey(L"Tree")) << "relative to the open key";
  EXPECT_FALSE(reg.KeyExists(L"Tree"));
  EXPECT_FALSE(reg.DeleteKey(L"")) << "never the open key itself";
  EXPECT_TRUE(reg.KeyExists(base_));
}
