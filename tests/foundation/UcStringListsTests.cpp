// The Unicode string lists of the user interface: marks on loading, UTF-16 LE on saving, the
// 8-bit view, sorted lists, stored properties in form files, streams and companions.
#include <gtest/gtest.h>

#include <random>

#include "foundation/UcStringLists.h"
#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "tests/foundation/UcTestSupport.h"

namespace {

std::string Save(TUcStrings& List) {
  TStringStream stream;
  List.SaveToStream(&stream);
  return stream.DataString();
}

std::string Le(const WideString& S) { return std::string(reinterpret_cast<const char*>(S.data()), S.size() * 2); }

}  // namespace

class TUcProbe : public TComponent {
  HV_CLASS(TUcProbe, TComponent)
 public:
  explicit TUcProbe(TComponent* Owner) : TComponent(Owner) {}
  TUcStringList* Items() const { return items_.get(); }
  wchar_t Ch() const { return ch_; }
  void SetCh(wchar_t Value) { ch_ = Value; }
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value) { caption_ = Value; }
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    DefineWideStringProperties(Filer, this);
  }

 private:
  std::unique_ptr<TUcStringList> items_ = std::make_unique<TUcStringList>();
  wchar_t ch_ = L'-';
  WideString caption_ = L"c";
};

HV_PUBLISH(TUcProbe) {
  p.Prop("Items", &T::Items);
  p.Prop("Ch", &T::Ch, &T::SetCh);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
}

TEST(UcStrings, LoadsByMarkAndAlwaysSavesUtf16Le) {
  struct Case {
    std::string Data;
    TextCharSet CharSet;
    WideString Text;
  } cases[] = {
      {Bytes({0xFF, 0xFE, 'a', 0, 0x16, 0x04}), csUnicode, L"a\x0416\r\n"},
      {Bytes({0xFE, 0xFF, 0, 'a', 0, 0, 0, 'b'}), csUnicodeSwapped, WideString(L"a\0b\r\n", 5)},
      {Bytes({0xEF, 0xBB, 0xBF, 'x', 0xC3, 0xA9, '\n', 'y'}), csUtf8, L"x\x00E9\r\ny\r\n"},
      {Bytes({'a', 0xE9}), csAnsi, L"a\x00E9\r\n"},
      {Bytes({0xFF}), csAnsi, L"\x00FF\r\n"},
      {Bytes({0xEF, 0xBB}), csAnsi, L"\x00EF\x00BB\r\n"},
      {Bytes({0xFF, 0xFE, 'a', 0, 'b'}), csUnicode, L"a\r\n"},
      {Bytes({0xFF, 0xFE}), csUnicode, L""},
  };
  TTempDirectory dir(L"ucl");
  for (const Case& c : cases) {
    WideString name = dir.File(L"t.txt");
    {
      TFileStream f(name, fmCreate);
      if (!c.Data.empty()) f.WriteBuffer(c.Data.data(), static_cast<int>(c.Data.size()));
    }
    TUcStringList list;
    list.LoadFromFile(name);
    EXPECT_EQ(list.LoadedCharSet(), c.CharSet) << c.Data;
    EXPECT_EQ(list.Text(), c.Text) << c.Data;
    list.SaveToFile(name);
    TMemoryStream saved;
    saved.LoadFromFile(name);
    std::string bytes(static_cast<const char*>(saved.Memory()), static_cast<size_t>(saved.Size()));
    EXPECT_EQ(bytes, "\xFF\xFE" + Le(c.Text));
  }
}

TEST(UcStrings, StreamsWithoutMarkDetection) {
  TUcStringList list;
  TStringStream in(Bytes({0xFF, 0xFE, 'a', 0}));
  list.LoadFromStream_BOM(&in, false);
  EXPECT_EQ(list.Strings(0),
            L"\xFEFF"
            L"a");
  TStringStream out;
  list.SaveToStream_BOM(&out, false);
  EXPECT_EQ(out.DataString(), Le(L"\xFEFF"
                                 L"a\r\n"));
  TStringStream mid(Bytes({'x', 0xFE, 0xFF, 0, 'q'}));
  mid.SetPosition(1);
  EXPECT_EQ(DetectStreamCharSet(&mid), csUnicodeSwapped);
  mid.SetPosition(3);
  EXPECT_EQ(DetectStreamCharSet(&mid), csAnsi);
  EXPECT_EQ(mid.Position(), 3);
}

TEST(UcStrings, AnsiViewConvertsWithItsCodePage) {
  TUcStringList list;
  list.Add(
      L"\x0416"
      L"a");
  TAnsiStringsForWideStringsAdapter* ansi = list.AnsiStrings();
  EXPECT_EQ(ansi->Strings(0), "?a");  // the system's code page (1252) has no Zhe
  ansi->SetCodePage(1251);
  EXPECT_EQ(ansi->Strings(0), Bytes({0xC6, 'a'}));
  ansi->Insert(0, Bytes({0xC0}));
  EXPECT_EQ(list.Strings(0), L"\x0410");
  ansi->SetStrings(1, "z");
  EXPECT_EQ(list.Strings(1), L"z");
  TStringStream in(Bytes({0x86, '\r', '\n', 'b'}));
  ansi->LoadFromStreamEx(&in, 866);
  EXPECT_EQ(list.Text(), L"\x0416\r\nb\r\n");
  TStringStream out;
  ansi->SaveToStreamEx(&out, 0);
  EXPECT_EQ(out.DataString(), Bytes({0xC6, '\r', '\n', 'b', '\r', '\n'}));
  TStringList source;
  source.Add(Bytes({0xE0}));
  list.SetAnsiStrings(&source);
  EXPECT_EQ(list.Text(), L"\x0430\r\n");
  ansi->Delete(0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(UcStringList, SortedListsFindAndRefuse) {
  TUcStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add(L"pear"), 0);
  EXPECT_EQ(list.Add(L"Abc"), 0);
  EXPECT_EQ(list.Add(L"fig"), 1);
  EXPECT_EQ(list.Add(L"abc"), 0);  // ignored duplicate: the index of the one there
  int index = -1;
  EXPECT_TRUE(list.Find(L"ABC", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find(L"grape", index));
  EXPECT_EQ(index, 2);
  list.SetDuplicates(dupError);
  EXPECT_EQ(Raised<EStringListError>([&] { list.Add(L"abc"); }), "String list does not allow duplicates");
  list.SetDuplicates(dupAccept);
  list.Add(L"ABC");
  list.Add(L"abc");
  EXPECT_TRUE(list.Find(L"abc", index));
  EXPECT_EQ(list.IndexOf(L"FIG"), 3);
  EXPECT_EQ(Raised<EStringListError>([&] { list.Insert(0, L"x"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Raised<EStringListError>([&] { list.SetStrings(0, L"x"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Delete(list.Count()); }), "List index out of bounds (5)");
  list.SetCaseSensitive(true);
  EXPECT_FALSE(list.Find(L"FIG", index));
}

TEST(UcStringList, NamesCapacityAndCustomSorts) {
  TUcStringList list;
  for (int i = 0; i < 77; ++i) list.Add(std::to_wstring(i));
  list.SetCapacity(1);  // never below the count
  EXPECT_EQ(list.Strings(76), L"76");
  list.Clear();
  for (const wchar_t* s : {L"bb=2", L"a=1", L"ccc=3", L"b"}) list.Add(s);
  EXPECT_EQ(list.IndexOfName(L"A"), 1);
  list.CustomSort([](TUcStringList& l, int i, int j) {
    return static_cast<int>(l.Strings(i).size()) - static_cast<int>(l.Strings(j).size());
  });
  EXPECT_EQ(list.Strings(0), L"b");
  EXPECT_EQ(list.Strings(3), L"ccc=3");
  list.SetSorted(true);
  EXPECT_EQ(list.Text(), L"a=1\r\nb\r\nbb=2\r\nccc=3\r\n");
  EXPECT_EQ(list.IndexOfName(L"BB"), 2);
  EXPECT_EQ(list.IndexOfName(L"b"), -1);
}

TEST(UcStoredProperties, ReadsEveryValueForm) {
  auto read = [](const std::string& Lines) {
    auto probe = std::make_unique<TUcProbe>(nullptr);
    ReadComponentFromText("object P: TUcProbe\n" + Lines + "end\n", probe.get());
    return probe;
  };
  EXPECT_EQ(read("  Items.WideStrings = 'one'#13#10'two'\n")->Items()->Text(), L"one\r\ntwo\r\n");
  EXPECT_EQ(read("  Items.WideStrings = 'caf\xC3\xA9'\n")->Items()->Text(), L"caf\x00E9\r\n");
  EXPECT_EQ(read("  Items.WideStrings = ('a' '\xD0\x96')\n")->Items()->Text(), L"a\r\n\x0416\r\n");
  EXPECT_EQ(read("  Items.WideStringsW = ('caf'#195#169 'x')\n")->Items()->Text(), L"caf\x00E9\r\nx\r\n");
  // Items the form file gives as characters already are not decoded a second time.
  EXPECT_EQ(read("  Items.WideStringsW = ('caf\xC3\xA9' '\xD0\x96')\n")->Items()->Text(), L"caf\x00E9\r\n\x0416\r\n");
  EXPECT_EQ(read("  Items.WideStrings = 'keep'\n  Items.WideStringsW = ('new')\n")->Items()->Text(), L"keep\r\n");
  EXPECT_EQ(read("  Items.WideStrings_UTF7 = ('+AOk-')\n")->Items()->Count(), 0);
  auto p = read("  ChW = '\xD0\x96'\n  CaptionW = 'zz'\n  Caption_UTF7 = 'zz'\n");
  EXPECT_EQ(p->Ch(), L'\x0416');
  EXPECT_EQ(p->Caption(), L"c");
  EXPECT_EQ(read("  ChW = ''\n")->Ch(), L'\0');
  EXPECT_EQ(read("  Ch_UTF7 = '+BBY-'\n")->Ch(), L'\x0416');
  for (const char* bad : {"  ChW = 'xy'\n", "  ChW = 5\n"})
    EXPECT_EQ(Raised<EReadError>([&] { read(bad); }), "Error reading P.ChW: Invalid property value");
  // None of them is ever written.
  TUcProbe probe(nullptr);
  probe.Items()->Add(L"\x0416");
  std::string text = WriteComponentToText(&probe);
  EXPECT_EQ(text.find("WideStrings"), std::string::npos) << text;
  EXPECT_NE(text.find("Items.Strings"), std::string::npos) << text;
}

TEST(UcStoredProperties, SyncedTextsFollowTheAnsiSide) {
  WideString wide = L"\x0416x";
  EXPECT_EQ(SyncWideTextFromAnsi(wide, "?x"), L"\x0416x");  // the 8-bit side is unchanged
  EXPECT_EQ(SyncWideTextFromAnsi(wide, "abc"), L"abc");
  std::vector<AnsiString> calls;
  WideString text;
  SetSyncedWideText(L"\x0416y", text, "?y", [&](const AnsiString& s) { calls.push_back(s); });
  EXPECT_EQ(text, L"\x0416y");
  EXPECT_EQ(calls, (std::vector<AnsiString>{"", "?y"}));
  calls.clear();
  SetSyncedWideText(L"\x0416y", text, "?y", [&](const AnsiString& s) { calls.push_back(s); });
  EXPECT_TRUE(calls.empty());
}

TEST(UcStreams, FilesAndResources) {
  TTempDirectory dir(L"ucs");
  // The system's text is that of the failed open or create, not of what built the message.
  EXPECT_EQ(
      Raised<EFOpenError>([&] { TUcFileStream f(dir.File(L"none.txt"), fmOpenRead); }),
      WideToUtf8(L"Cannot open file \"" + dir.File(L"none.txt") + L"\". " + WideSysErrorMessage(ERROR_FILE_NOT_FOUND)));
  EXPECT_EQ(Raised<EFCreateError>([&] { TUcFileStream f(dir.File(L"no\\dir\\x.txt"), fmCreate); }),
            WideToUtf8(L"Cannot create file \"" + dir.File(L"no\\dir\\x.txt") + L"\". " +
                       WideSysErrorMessage(ERROR_PATH_NOT_FOUND)));
  {
    TUcFileStream f(dir.File(L"\x0416.bin"), fmCreate);
    f.WriteBuffer("abc", 3);
  }
  TUcFileStream f(dir.File(L"\x0416.bin"), fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(f.Size(), 3);

  TUcResourceStream res(GetModuleHandleW(nullptr), L"COMBINING", L"UNICODEDATA");
  uint32_t firstClass = 0;
  res.ReadBuffer(&firstClass, 4);
  EXPECT_EQ(firstClass, 1u);
  EXPECT_EQ(Raised<EStreamError>([&] { res.Write("x", 1); }), "Can't write to a read-only resource stream");
  EXPECT_EQ(Raised<EResNotFound>([] { TUcResourceStream(GetModuleHandleW(nullptr), L"NOPE", L"UNICODEDATA"); }),
            "Resource NOPE not found");
  EXPECT_THROW(TUcResourceStream::CreateFromID(GetModuleHandleW(nullptr), 4711, MAKEINTRESOURCEW(10)), EResNotFound);
}

TEST(UcCompanions, OrderedByComponentAndGoneWithIt) {
  TList companions;
  auto a = std::make_unique<TComponent>(nullptr);
  auto b = std::make_unique<TComponent>(nullptr);
  auto c = std::make_unique<TComponent>(nullptr);
  TWideComponentHelper* hb = TWideComponentHelper::CreateHelper(b.get(), &companions);
  TWideComponentHelper* ha = TWideComponentHelper::CreateHelper(a.get(), &companions);
  TWideComponentHelper::CreateHelper(c.get(), &companions);
  ASSERT_EQ(companions.Count(), 3);
  for (int i = 1; i < 3; ++i)
    EXPECT_LT(reinterpret_cast<uintptr_t>(static_cast<TWideComponentHelper*>(companions[i - 1])->Component()),
              reinterpret_cast<uintptr_t>(static_cast<TWideComponentHelper*>(companions[i])->Component()));
  EXPECT_EQ(FindWideComponentHelper(&companions, a.get()), ha);
  EXPECT_EQ(FindWideComponentHelper(&companions, b.get()), hb);
  b.reset();
  EXPECT_EQ(companions.Count(), 2);
  TComponent other(nullptr);
  EXPECT_EQ(FindWideComponentHelper(&companions, &other), nullptr);
  a.reset();
  c.reset();
  EXPECT_EQ(companions.Count(), 0);
  EXPECT_EQ(Raised<EUcInternalError>([] { TWideComponentHelper wrong(nullptr); }),
            "UC Internal Error: TWideComponentHelper.Create should never be encountered.");
}

// Random text streams, with any mark or none, odd lengths and unpaired surrogates, load into
// lines that the saved UTF-16 form gives back unchanged.
TEST(UcStrings, FuzzedStreamsLoadAndRoundTrip) {
  std::mt19937 rng(121);
  for (int round = 0; round < 3000; ++round) {
    std::string data = FuzzedTextBytes(rng);
    TUcStringList list;
    TStringStream in(data);
    list.LoadFromStream(&in);
    ASSERT_LE(list.Text().size(), data.size() + 2 * static_cast<size_t>(list.Count()));
    TUcStringList again;
    TStringStream saved(Save(list));
    again.LoadFromStream(&saved);
    ASSERT_EQ(again.Text(), list.Text()) << round;
  }
}
