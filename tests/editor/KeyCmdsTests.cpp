// Command names, key strokes, the default key map, key translation with chords, and the key
// map stored in form files as differences from a reference map.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <utility>
#include <vector>
#include <string>

#include "editor/TxtEditKeyCmds.h"
#include "framework/Component.h"
#include "framework/FormFiles.h"
#include "framework/Win.h"
#include "tests/framework/Raised.h"

namespace {

TShortCut SC(const char* text) {
  TShortCut sc = TextToShortCut(AnsiString(text));
  EXPECT_NE(sc, 0) << text;
  return sc;
}

// The default map as a person reads it off the keyboard, in the order it must be built: each
// stroke as "keys=command", strokes apart by blanks.
const char* const defaultMap[] = {
    "Up=ecUp Shift+Up=ecSelUp Ctrl+Up=ecScrollUp Down=ecDown Shift+Down=ecSelDown Ctrl+Down=ecScrollDown",
    "Left=ecLeft Shift+Left=ecSelLeft Ctrl+Left=ecWordLeft Shift+Ctrl+Left=ecSelWordLeft",
    "Right=ecRight Shift+Right=ecSelRight Ctrl+Right=ecWordRight Shift+Ctrl+Right=ecSelWordRight",
    "PgDn=ecPageDown Shift+PgDn=ecSelPageDown Ctrl+PgDn=ecPageBottom Shift+Ctrl+PgDn=ecSelPageBottom",
    "PgUp=ecPageUp Shift+PgUp=ecSelPageUp Ctrl+PgUp=ecPageTop Shift+Ctrl+PgUp=ecSelPageTop",
    "Home=ecLineStart Shift+Home=ecSelLineStart Ctrl+Home=ecEditorTop Shift+Ctrl+Home=ecSelEditorTop",
    "End=ecLineEnd Shift+End=ecSelLineEnd Ctrl+End=ecEditorBottom Shift+Ctrl+End=ecSelEditorBottom",
    "Ins=ecToggleMode Ctrl+Ins=ecCopy Shift+Del=ecCut Shift+Ins=ecPaste Del=ecDeleteChar",
    "BkSp=ecDeleteLastChar Shift+BkSp=ecDeleteLastChar Ctrl+BkSp=ecDeleteLastWord Alt+BkSp=ecUndo",
    "Shift+Alt+BkSp=ecRedo Enter=ecLineBreak Shift+Enter=ecLineBreak Tab=ecTab Shift+Tab=ecShiftTab",
    "F1=ecContextHelp Ctrl+A=ecSelectAll Ctrl+C=ecCopy Ctrl+V=ecPaste Ctrl+X=ecCut",
    "Shift+Ctrl+I=ecBlockIndent Shift+Ctrl+U=ecBlockUnindent Ctrl+M=ecLineBreak Ctrl+N=ecInsertLine",
    "Ctrl+T=ecDeleteWord Ctrl+Y=ecDeleteLine Shift+Ctrl+Y=ecDeleteEOL Ctrl+Z=ecUndo Shift+Ctrl+Z=ecRedo",
    "Ctrl+0=ecGotoMarker0 Ctrl+1=ecGotoMarker1 Ctrl+2=ecGotoMarker2 Ctrl+3=ecGotoMarker3 Ctrl+4=ecGotoMarker4",
    "Ctrl+5=ecGotoMarker5 Ctrl+6=ecGotoMarker6 Ctrl+7=ecGotoMarker7 Ctrl+8=ecGotoMarker8 Ctrl+9=ecGotoMarker9",
    "Shift+Ctrl+0=ecSetMarker0 Shift+Ctrl+1=ecSetMarker1 Shift+Ctrl+2=ecSetMarker2 Shift+Ctrl+3=ecSetMarker3",
    "Shift+Ctrl+4=ecSetMarker4 Shift+Ctrl+5=ecSetMarker5 Shift+Ctrl+6=ecSetMarker6 Shift+Ctrl+7=ecSetMarker7",
    "Shift+Ctrl+8=ecSetMarker8 Shift+Ctrl+9=ecSetMarker9 Shift+Ctrl+N=ecNormalSelect Shift+Ctrl+C=ecColumnSelect",
    "Shift+Ctrl+L=ecLineSelect Shift+Ctrl+B=ecMatchBracket",
};

// The strokes of the map above, as (keys, command) pairs.
std::vector<std::pair<std::string, std::string>> DefaultStrokes() {
  std::vector<std::pair<std::string, std::string>> strokes;
  for (const char* row : defaultMap) {
    std::istringstream words(row);
    for (std::string word; words >> word;) {
      const size_t eq = word.find('=');
      strokes.emplace_back(word.substr(0, eq), word.substr(eq + 1));
    }
  }
  return strokes;
}

TShiftState Ctrl() { return TShiftState{ssCtrl}; }

}  // namespace

TEST(EditorCommands, NamesBothWays) {
  std::string ident;
  ASSERT_TRUE(EditorCommandToIdent(ecMatchBracket, ident));
  EXPECT_EQ(ident, "ecMatchBracket");
  EXPECT_FALSE(EditorCommandToIdent(624, ident));
  EXPECT_FALSE(EditorCommandToIdent(480, ident));  // focus commands have no name

  int32_t value = -1;
  ASSERT_TRUE(IdentToEditorCommand("ECCOPY", value));
  EXPECT_EQ(value, ecCopy);
  EXPECT_FALSE(IdentToEditorCommand("ecCopyX", value));
  EXPECT_FALSE(IdentToEditorCommand("", value));

  EXPECT_EQ(EditorCommandToCodeString(ecDeleteLine), "ecDeleteLine");
  EXPECT_EQ(EditorCommandToCodeString(1234), "1234");
  // Plain 16-bit properties must not pick up command names.
  EXPECT_EQ(FindIntToIdent(TypeInfoOf<unsigned short>()), nullptr);
}

TEST(DefaultKeyMap, EveryEntryInOrder) {
  TTxtEditKeyStrokes map(nullptr);
  map.AddKeyStroke(ecUndo, 'Q', Ctrl());  // replaced by the reset
  map.ResetDefaults();
  const auto expected = DefaultStrokes();
  ASSERT_EQ(expected.size(), 82u);
  ASSERT_EQ(map.Count(), 82);
  for (int i = 0; i < map.Count(); ++i) {
    const auto& [keys, command] = expected[size_t(i)];
    SCOPED_TRACE(keys);
    const TTxtEditKeyStroke* s = map.Items(i);
    EXPECT_EQ(s->ShortCut(), SC(keys.c_str()));
    EXPECT_EQ(EditorCommandToCodeString(s->Command()), command);
    EXPECT_EQ(s->ShortCut2(), 0);
  }
}

TEST(KeyStroke, ShortCutEncodingAndDisplayName) {
  TTxtEditKeyStrokes map(nullptr);
  TTxtEditKeyStroke* s = map.AddKeyStroke(ecCopy, 'C', Ctrl());
  EXPECT_EQ(s->ShortCut(), 0x4000 + 'C');
  EXPECT_EQ(s->GetDisplayName(), "ecCopy - Ctrl+C");
  s->SetShortCut2(SC("Shift+K"));
  EXPECT_EQ(s->GetDisplayName(), "ecCopy - Ctrl+C Shift+K");
  s->SetCommand(1200);
  EXPECT_EQ(s->GetDisplayName(), "1200 - Ctrl+C Shift+K");

  TTxtEditKeyStroke* alt = map.AddKeyStroke(ecUndo, VK_BACK, TShiftState{ssAlt});
  EXPECT_EQ(alt->ShortCut(), 0x8000 + VK_BACK);
  alt->SetKey(300);  // no menu shortcut for such a key
  EXPECT_EQ(alt->ShortCut(), 0);
}

TEST(KeyStroke, DuplicatePairIsRefusedAndChangesNothing) {
  TTxtEditKeyStrokes map(nullptr);
  map.AddKeyStroke(ecCopy, 'C', Ctrl());
  TTxtEditKeyStroke* other = map.AddKeyStroke(ecPaste, 'V', Ctrl());
  EXPECT_EQ(Raised<ETxtKeyError>([&] { other->SetShortCut(SC("Ctrl+C")); }), "Shortcut already exists");
  EXPECT_EQ(other->Key(), 'V');
  EXPECT_TRUE(other->Shift() == Ctrl());

  // Giving a stroke its own pair again, clearing it, or making a chord that differs is fine.
  EXPECT_NO_THROW(other->SetShortCut(SC("Ctrl+V")));
  EXPECT_NO_THROW(other->SetShortCut2(SC("Ctrl+C")));
  EXPECT_NO_THROW(other->SetShortCut(SC("Ctrl+C")));  // Ctrl+C Ctrl+C is a new pair
  EXPECT_NO_THROW(map.Items(0)->SetShortCut(TShortCut(0)));
}

TEST(KeyStrokes, FindingStrokes) {
  TTxtEditKeyStrokes map(nullptr);
  map.AddKeyStroke(ecCut, 'K', Ctrl())->SetShortCut2(SC("X"));
  map.AddKeyStroke(ecCopy, 'K', Ctrl());
  EXPECT_EQ(map.FindSingleKey('K', Ctrl()), 1);  // the chord is not a single key
  EXPECT_EQ(map.FindKeyPair('K', Ctrl(), 'X', TShiftState()), 0);
  EXPECT_EQ(map.FindKeyPair('K', Ctrl(), 'Y', TShiftState()), -1);
  EXPECT_EQ(map.FindShortcutPair(SC("Ctrl+K"), SC("X")), 0);
  EXPECT_EQ(map.FindShortcutPair(SC("Ctrl+K"), TShortCut(0)), 1);
  EXPECT_EQ(map.Items(map.FindSingleKey('K', Ctrl()))->Command(), ecCopy);
  EXPECT_EQ(map.Items(map.FindKeyPair('K', Ctrl(), 'X', TShiftState()))->Command(), ecCut);
  // Mouse-button flags that come with a key message do not count.
  EXPECT_EQ(map.FindSingleKey('K', TShiftState{ssCtrl, ssLeft}), 1);
}

TEST(KeyStrokes, AssignCopiesInOrderAndSameAsCompares) {
  TTxtEditKeyStrokes a(nullptr), b(nullptr);
  a.ResetDefaults();
  b.AddKeyStroke(ecUndo, 'Q', Ctrl());
  b.Assign(&a);
  EXPECT_TRUE(b.SameAs(a));
  b.Items(5)->SetCommand(ecCopy);
  EXPECT_FALSE(b.SameAs(a));
  b.Assign(&a);
  b.Items(5)->SetShortCut2(SC("F9"));
  EXPECT_FALSE(b.SameAs(a));
  b.Assign(&a);
  b.Delete(81);
  EXPECT_FALSE(b.SameAs(a));
  // A map given itself keeps its strokes.
  b.Assign(&b);
  EXPECT_EQ(b.Count(), 81);
}

TEST(KeyTranslation, SingleKeysAndTheirModifiers) {
  TTxtEditKeyStrokes map(nullptr);
  map.ResetDefaults();
  Word lastKey = 0;
  TShiftState lastShift;
  EXPECT_EQ(TranslateKeyStroke(map, VK_BACK, TShiftState(), lastKey, lastShift), ecDeleteLastChar);
  EXPECT_EQ(TranslateKeyStroke(map, VK_BACK, TShiftState{ssShift}, lastKey, lastShift), ecDeleteLastChar);
  EXPECT_EQ(TranslateKeyStroke(map, VK_RETURN, TShiftState{ssShift}, lastKey, lastShift), ecLineBreak);
  EXPECT_EQ(TranslateKeyStroke(map, 'M', Ctrl(), lastKey, lastShift), ecLineBreak);
  EXPECT_EQ(TranslateKeyStroke(map, VK_BACK, TShiftState{ssAlt, ssShift}, lastKey, lastShift), ecRedo);
  EXPECT_EQ(TranslateKeyStroke(map, 'Q', TShiftState(), lastKey, lastShift), ecNone);
}

TEST(KeyTranslation, ChordsAndTheRangeThatStartsThem) {
  TTxtEditKeyStrokes map(nullptr);
  map.ResetDefaults();
  TTxtEditKeyStroke* chord = map.AddKeyStroke(ecLineSelect, 'Q', Ctrl());
  chord->SetShortCut2(SC("B"));
  Word lastKey = 0;
  TShiftState lastShift;

  // Ctrl+Q alone is bound to nothing (only as a chord start), so it is remembered.
  EXPECT_EQ(TranslateKeyStroke(map, 'Q', Ctrl(), lastKey, lastShift), ecNone);
  EXPECT_EQ(TranslateKeyStroke(map, 'B', TShiftState(), lastKey, lastShift), ecLineSelect);
  EXPECT_EQ(lastKey, 0);

  // The second key is matched as a chord first, then alone: Ctrl+Q Left has no chord, so Left.
  TranslateKeyStroke(map, 'Q', Ctrl(), lastKey, lastShift);
  EXPECT_EQ(TranslateKeyStroke(map, VK_LEFT, TShiftState(), lastKey, lastShift), ecLeft);
  EXPECT_EQ(lastKey, 0);

  // Without the first key, B alone does nothing.
  EXPECT_EQ(TranslateKeyStroke(map, 'B', TShiftState(), lastKey, lastShift), ecNone);

  // With nothing remembered the press is still looked up as a chord first: a stroke whose first
  // key is none answers its second key before the single-key binding of that key.
  lastKey = 0;
  TTxtEditKeyStroke* secondOnly = map.AddKeyStroke(ecSelWord, 0, TShiftState());
  secondOnly->SetShortCut2(SC("Shift+BkSp"));
  EXPECT_EQ(TranslateKeyStroke(map, VK_BACK, TShiftState{ssShift}, lastKey, lastShift), ecSelWord);

  // Bounds: 0x1E and 0x91 are remembered, 0x1D and 0x92 clear the memory.
  lastKey = 0;
  for (Word key : {0x1E, 0x1D, 0x91, 0x92}) {
    TranslateKeyStroke(map, key, TShiftState(), lastKey, lastShift);
    EXPECT_EQ(lastKey, key == 0x1E || key == 0x91 ? key : 0) << key;
  }
  EXPECT_TRUE(lastShift.Empty());
}

// ---- the key map in form files ----

namespace {

// A component that stores a key map the way the editor control does.
class TKeyMapHolder : public TComponent {
  HV_CLASS(TKeyMapHolder, TComponent)
 public:
  explicit TKeyMapHolder(TComponent* AOwner) : TComponent(AOwner), strokes_(this) { strokes_.ResetDefaults(); }
  TTxtEditKeyStrokes& Strokes() { return strokes_; }
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TKeyMapHolder*>(Filer->Ancestor());
    DefineKeyStrokeDifferences(Filer, &strokes_, ancestor ? &ancestor->strokes_ : nullptr);
  }

 private:
  TTxtEditKeyStrokes strokes_;
};

TShortCut SCText(const char* text) { return TextToShortCut(AnsiString(text)); }

int Find(TTxtEditKeyStrokes& m, const char* keys) { return m.FindShortcutPair(SCText(keys), TShortCut(0)); }

}  // namespace

HV_PUBLISH(TKeyMapHolder) {}

TEST(StoredKeyMap, TheDefaultMapStoresNothing) {
  TKeyMapHolder h(nullptr);
  h.SetName("Holder");
  TTxtEditKeyStrokes copy(nullptr);
  copy.ResetDefaults();
  h.Strokes().Assign(&copy);
  EXPECT_EQ(WriteComponentToText(&h).find("Keystrokes"), std::string::npos);
}

TEST(StoredKeyMap, DifferencesWrittenAndReadBack) {
  TKeyMapHolder h(nullptr);
  h.SetName("Holder");
  TTxtEditKeyStrokes& m = h.Strokes();
  m.Delete(Find(m, "Ctrl+Y"));
  m.AddKeyStroke(ecDeleteLine, 'E', Ctrl());
  m.AddKeyStroke(ecUserFirst + 5, VK_F9, TShiftState{ssAlt});  // a command without a name
  TTxtEditKeyStroke* chord = m.AddKeyStroke(ecLineSelect, 'Q', Ctrl());
  chord->SetShortCut2(SCText("B"));
  m.Items(Find(m, "Ctrl+T"))->SetCommand(ecDeleteEOL);  // rebound: removed and added

  std::string text = WriteComponentToText(&h);
  EXPECT_NE(text.find("RemovedKeystrokes = <"), std::string::npos) << text;
  EXPECT_NE(text.find("AddedKeystrokes = <"), std::string::npos) << text;
  EXPECT_NE(text.find("Command = ecDeleteLine"), std::string::npos) << text;
  EXPECT_NE(text.find("Command = 1006"), std::string::npos) << text;
  EXPECT_LT(text.find("RemovedKeystrokes"), text.find("AddedKeystrokes"));

  TKeyMapHolder again(nullptr);
  ReadComponentFromText(text, &again);
  TTxtEditKeyStrokes& a = again.Strokes();
  EXPECT_EQ(Find(a, "Ctrl+Y"), -1);
  ASSERT_GE(Find(a, "Ctrl+E"), 0);
  EXPECT_EQ(a.Items(Find(a, "Ctrl+E"))->Command(), ecDeleteLine);
  EXPECT_EQ(a.Items(Find(a, "Alt+F9"))->Command(), ecUserFirst + 5);
  EXPECT_EQ(a.Items(Find(a, "Ctrl+T"))->Command(), ecDeleteEOL);
  int c = a.FindShortcutPair(SCText("Ctrl+Q"), SCText("B"));
  ASSERT_GE(c, 0);
  EXPECT_EQ(a.Items(c)->Command(), ecLineSelect);
  EXPECT_EQ(a.Count(), m.Count());
  // Written again, the same text.
  EXPECT_EQ(WriteComponentToText(&again), text);
}

TEST(StoredKeyMap, TheApplicationsDifferencesReadIntoTheDefaultMap) {
  const char* text =
      "object Holder: TKeyMapHolder\n"
      "  RemovedKeystrokes = <\n"
      "    item\n      Command = ecCopy\n      ShortCut = 16429\n    end\n"
      "    item\n      Command = ecCut\n      ShortCut = 8238\n    end\n"
      "    item\n      Command = ecPaste\n      ShortCut = 8237\n    end\n"
      "    item\n      Command = ecDeleteLine\n      ShortCut = 16473\n    end\n"
      "    item\n      Command = ecMatchBracket\n      ShortCut = 24642\n    end>\n"
      "  AddedKeystrokes = <\n"
      "    item\n      Command = ecDeleteLine\n      ShortCut = 16453\n    end\n"
      "    item\n      Command = ecMatchBracket\n      ShortCut = 16450\n    end>\n"
      "end\n";
  TKeyMapHolder h(nullptr);
  ReadComponentFromText(text, &h);
  TTxtEditKeyStrokes& m = h.Strokes();
  EXPECT_EQ(m.Count(), 82 - 5 + 2);
  EXPECT_EQ(m.Items(Find(m, "Ctrl+E"))->Command(), ecDeleteLine);
  EXPECT_EQ(m.Items(Find(m, "Ctrl+B"))->Command(), ecMatchBracket);
  EXPECT_EQ(Find(m, "Ctrl+Y"), -1);
  EXPECT_EQ(Find(m, "Ctrl+Ins"), -1);
  EXPECT_EQ(Find(m, "Shift+Ctrl+B"), -1);
  EXPECT_GE(Find(m, "Ctrl+C"), 0);  // the other copy key stays
}

TEST(StoredKeyMap, OddStoredValuesChangeNothing) {
  const char* text =
      "object Holder: TKeyMapHolder\n"
      "  RemovedKeystrokes = 5\n"
      "  AddedKeystrokes = 'text'\n"
      "end\n";
  TKeyMapHolder h(nullptr);
  ASSERT_NO_THROW(ReadComponentFromText(text, &h));
  EXPECT_EQ(h.Strokes().Count(), 82);

  // A removal whose keys are missing, or bound to another command, removes nothing.
  const char* removals =
      "object Holder: TKeyMapHolder\n"
      "  RemovedKeystrokes = <\n"
      "    item\n      Command = ecCopy\n      ShortCut = 16465\n    end\n"
      "    item\n      Command = ecPaste\n      ShortCut = 16451\n    end>\n"
      "end\n";
  TKeyMapHolder k(nullptr);
  ReadComponentFromText(removals, &k);
  EXPECT_EQ(k.Strokes().Count(), 82);
}

TEST(StoredKeyMap, AChordAfterTheSameSingleKeyReadsBack) {
  // Ctrl+Q alone and Ctrl+Q B: while the second is read, it briefly has the first one's keys.
  TKeyMapHolder h(nullptr);
  h.SetName("Holder");
  h.Strokes().AddKeyStroke(ecUpperCase, 'Q', Ctrl());
  h.Strokes().AddKeyStroke(ecLowerCase, 'Q', Ctrl())->SetShortCut2(SCText("B"));
  std::string text = WriteComponentToText(&h);
  TKeyMapHolder again(nullptr);
  ASSERT_NO_THROW(ReadComponentFromText(text, &again));
  EXPECT_TRUE(again.Strokes().SameAs(h.Strokes()));
}

TEST(StoredKeyMap, AgainstAnAncestorOnlyTheNewDifferencesAreWritten) {
  TKeyMapHolder ancestor(nullptr);
  ancestor.SetName("Holder");
  ancestor.Strokes().AddKeyStroke(ecDeleteLine, 'E', Ctrl());
  TKeyMapHolder h(nullptr);
  h.SetName("Holder");
  h.Strokes().Assign(&ancestor.Strokes());
  EXPECT_EQ(WriteComponentToText(&h, &ancestor).find("Keystrokes"), std::string::npos);
  h.Strokes().AddKeyStroke(ecLineSelect, 'L', Ctrl());
  std::string text = WriteComponentToText(&h, &ancestor);
  EXPECT_NE(text.find("AddedKeystrokes"), std::string::npos);
  EXPECT_EQ(text.find("ecDeleteLine"), std::string::npos) << text;
}

// An added stroke whose keys the map already has (for the same command or another) or that an
// earlier added stroke has is refused with the key map's error, and the map keeps what it had.
TEST(StoredKeyMap, AnAddedStrokeWithKeysTheMapHasIsRefused) {
  auto item = [](const char* command, const char* keys) {
    return std::string("item\n Command = ") + command + "\n ShortCut = " + std::to_string(SCText(keys)) + "\n end\n";
  };
  auto file = [](const std::string& removed, const std::string& added) {
    return "object Holder: TKeyMapHolder\n RemovedKeystrokes = <" + removed + ">\n AddedKeystrokes = <" + added +
           ">\nend\n";
  };
  for (const std::string& added :
       {item("ecCopy", "Ctrl+C"), item("ecCut", "Ctrl+C"), item("ecCut", "Ctrl+E") + item("ecCopy", "Ctrl+E")}) {
    TKeyMapHolder h(nullptr);
    EXPECT_EQ(
        Raised<EReadError>([&] { ReadComponentFromText(file("", added), &h); }) + std::to_string(h.Strokes().Count()),
        "Error reading Holder.AddedKeystrokes: Shortcut already exists82");
  }
  TKeyMapHolder h(nullptr);  // removed first, the keys are free for another command
  ReadComponentFromText(file(item("ecCopy", "Ctrl+C"), item("ecCut", "Ctrl+C")), &h);
  EXPECT_EQ(h.Strokes().Items(Find(h.Strokes(), "Ctrl+C"))->Command(), ecCut);
}
