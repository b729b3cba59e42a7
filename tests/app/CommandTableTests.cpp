// The main window's command table: every action of the form file is bound once, by its row; every
// menu and toolbar item of the form file shows an action of the list; the actions keep the texts
// and keys of the form file; a table that disagrees with the action list is named line by line.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <set>

#include "app/MainActions.h"
#include "framework/Actions.h"
#include "framework/CodePages.h"
#include "framework/ShortCuts.h"
#include "framework/Streams.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

// One object of a form file: its name, class, parent object and its own properties with their
// values as written (a value over several lines joined by blanks).
struct TFileObject {
  std::string Name, Class, Parent;
  std::map<std::string, std::string> Props;
};

std::string Trimmed(const std::string& Text) {
  const size_t first = Text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return Text.substr(first, Text.find_last_not_of(" \t\r") - first + 1);
}

// The objects of a form file in the order they are written. Lists, collections and binary values
// are taken whole up to their closing bracket.
std::vector<TFileObject> FileObjects(const std::string& Text) {
  std::vector<TFileObject> objects;
  std::vector<size_t> open;
  std::string pendingKey, pendingValue;
  char closer = 0;
  size_t from = 0;
  while (from < Text.size()) {
    size_t to = Text.find('\n', from);
    if (to == std::string::npos) to = Text.size();
    const std::string line = Trimmed(Text.substr(from, to - from));
    from = to + 1;
    if (closer) {
      pendingValue += " " + line;
      if (!line.empty() && line.back() == closer) {
        objects[open.back()].Props[pendingKey] = pendingValue;
        closer = 0;
      }
      continue;
    }
    if (line.rfind("object ", 0) == 0) {
      const size_t colon = line.find(':');
      TFileObject object;
      object.Name = line.substr(7, colon - 7);
      object.Class = Trimmed(line.substr(colon + 1));
      if (!open.empty()) object.Parent = objects[open.back()].Name;
      open.push_back(objects.size());
      objects.push_back(object);
    } else if (line == "end") {
      if (!open.empty()) open.pop_back();
    } else if (const size_t eq = line.find(" = "); eq != std::string::npos && !open.empty()) {
      pendingKey = line.substr(0, eq);
      pendingValue = line.substr(eq + 3);
      const char first = pendingValue.empty() ? 0 : pendingValue.front();
      const char last = pendingValue.empty() ? 0 : pendingValue.back();
      closer = first == '(' ? ')' : first == '<' ? '>' : first == '{' ? '}' : 0;
      if (closer && last == closer) closer = 0;
      if (!closer) objects[open.back()].Props[pendingKey] = pendingValue;
    }
  }
  return objects;
}

// The strings of a value: quoted parts ('' for one quote) and #code characters; parts joined
// by "+" or standing next to each other make one string, blanks between them start the next.
std::vector<WideString> Strings(const std::string& Value) {
  std::vector<WideString> strings;
  std::string utf8;
  bool inString = false, joined = false;
  auto finish = [&] {
    if (inString) strings.push_back(Utf8ToWide(utf8));
    utf8.clear();
    inString = false;
  };
  for (size_t i = 0; i < Value.size();) {
    const char c = Value[i];
    if (c == '\'') {
      if (inString && !joined && i > 0 && Value[i - 1] == ' ') finish();
      inString = true;
      joined = false;
      for (++i; i < Value.size(); ++i) {
        if (Value[i] == '\'' && i + 1 < Value.size() && Value[i + 1] == '\'') {
          utf8 += '\'';
          ++i;
        } else if (Value[i] == '\'') {
          break;
        } else {
          utf8 += Value[i];
        }
      }
      ++i;
    } else if (c == '#') {
      size_t end = i + 1;
      while (end < Value.size() && isdigit(static_cast<unsigned char>(Value[end]))) ++end;
      utf8 += WideToUtf8(WideString(1, static_cast<wchar_t>(std::stoi(Value.substr(i + 1, end - i - 1)))));
      inString = true;
      i = end;
    } else {
      if (c == '+') joined = true;
      ++i;
    }
  }
  finish();
  return strings;
}

std::string MainFormText() {
  TResourceStream resource(GetModuleHandleW(nullptr), L"TMAINFORM", RT_RCDATA);
  std::string text(static_cast<size_t>(resource.Size()), '\0');
  resource.ReadBuffer(text.data(), static_cast<int>(text.size()));
  return text;
}

class CommandTable : public DocumentTest {
 protected:
  TMainForm& MakeForm() {
    TMainForm& form = Make();
    objects_ = FileObjects(MainFormText());
    return form;
  }
  std::vector<const TFileObject*> FileActions() const {
    std::vector<const TFileObject*> actions;
    for (const TFileObject& object : objects_)
      if (object.Parent == "actnlstMain") actions.push_back(&object);
    return actions;
  }
  std::vector<TFileObject> objects_;
};

const TMainCommands::TBinding* RowOf(const char* Name) {
  for (const TMainCommands::TBinding& row : TMainCommands::Bindings())
    if (AnsiString(row.Name) == Name) return &row;
  return nullptr;
}

}  // namespace

// Each action of the list is bound by its one row and by nothing else: the form file binds no
// action handler, and the handlers belong to the commands object, not to the window.
TEST_F(CommandTable, EveryActionIsBoundOnceByItsRow) {
  TMainForm& form = MakeForm();
  TMainCommands& commands = CommandsOf(form);
  EXPECT_EQ(TMainCommands::CheckBindings(*form.actnlstMain, TMainCommands::Bindings()), std::vector<AnsiString>{});
  ASSERT_EQ(static_cast<int>(TMainCommands::Bindings().size()), form.actnlstMain->ActionCount());
  std::set<AnsiString> noExecute, noUpdate;
  for (int i = 0; i < form.actnlstMain->ActionCount(); ++i) {
    auto* action = dynamic_cast<TAction*>(form.actnlstMain->Actions(i));
    ASSERT_NE(action, nullptr);
    const AnsiString name = action->Name();
    const TMainCommands::TBinding* row = RowOf(name.c_str());
    ASSERT_NE(row, nullptr) << name;
    EXPECT_EQ(action->OnExecute(), TNotifyEvent(&commands, row->Execute)) << name;
    EXPECT_EQ(action->OnUpdate, TNotifyEvent(&commands, row->Update)) << name;
    if (!row->Execute) noExecute.insert(name);
    if (!row->Update) noUpdate.insert(name);
  }
  // The actions that have no handler of a kind, as before the table held them all.
  EXPECT_EQ(noExecute, (std::set<AnsiString>{"actnDNDOpen", "actnDNDInsert"}));
  EXPECT_EQ(noUpdate,
            (std::set<AnsiString>{"actnCreateNew", "actnOpen", "actnExit", "actnOnTheInternet", "actnCheckForUpdates",
                                  "actnDNDOpen", "actnOpenLink", "actnCopyLinkAddress"}));
  for (const TFileObject* action : FileActions())
    for (const char* event : {"OnExecute", "OnUpdate"})
      EXPECT_EQ(action->Props.count(event), 0u) << action->Name << " binds " << event << " in the form file";
}

// The commands that moved from the window into the table still do their work through the action.
TEST_F(CommandTable, TheWindowsOwnCommandsRunThroughTheirRows) {
  TMainForm& form = MakeForm();
  ASSERT_EQ(DocumentList->Count(), 1);
  TAction* create = form.Commands->Action("actnCreateNew");
  ASSERT_TRUE(create->Execute());
  ASSERT_TRUE(create->Execute());
  EXPECT_EQ(DocumentList->Count(), 3);
  TAction* closeOthers = form.Commands->Action("actnCloseOtherTabs");
  TAction* close = form.Commands->Action("actnClose");
  closeOthers->Update();
  EXPECT_TRUE(closeOthers->Enabled());
  ASSERT_TRUE(close->Execute());
  EXPECT_EQ(DocumentList->Count(), 2);
  ASSERT_TRUE(closeOthers->Execute());
  EXPECT_EQ(DocumentList->Count(), 1);
  closeOthers->Update();
  EXPECT_FALSE(closeOthers->Enabled());
  TAction* preview = form.Commands->Action("actnPrintPreview");
  ASSERT_TRUE(preview->Execute());
  EXPECT_TRUE(form.ActiveDocument()->IsPrintPreview());
  preview->Update();
  EXPECT_TRUE(preview->Checked());
  ASSERT_TRUE(preview->Execute());
  EXPECT_FALSE(form.ActiveDocument()->IsPrintPreview());
}

// What is wrong between a table and the list is named, one line each; an action planted in the
// list without a row is caught, and running it does nothing.
TEST_F(CommandTable, DisagreementsAreNamed) {
  TMainForm& form = MakeForm();
  const std::span<const TMainCommands::TBinding> real = TMainCommands::Bindings();
  using TRows = std::vector<TMainCommands::TBinding>;
  struct {
    const char* Case;
    std::function<void(TRows&)> Change;
    std::vector<AnsiString> Problems;
  } const cases[] = {
      {"the table as it is", [](TRows&) {}, {}},
      {"a row left out",
       [](TRows& rows) { std::erase_if(rows, [](const auto& row) { return AnsiString(row.Name) == "actnSort"; }); },
       {"The action \"actnSort\" has no row in the command table"}},
      {"the last row left out",
       [](TRows& rows) { rows.pop_back(); },
       {"The action \"actnCopyLinkAddress\" has no row in the command table"}},
      {"a row twice",
       [](TRows& rows) { rows.push_back(rows[3]); },
       {"The action \"actnCloseAll\" has 2 rows in the command table"}},
      {"a row of a command the form file lacks",
       [](TRows& rows) {
         rows.push_back({"actnDuplicateLine", nullptr, nullptr});
       },
       {"The row \"actnDuplicateLine\" of the command table names no action of the list"}},
      {"a row renamed",
       [](TRows& rows) { rows[0].Name = "actnCreatenew"; },
       {"The action \"actnCreateNew\" has no row in the command table",
        "The row \"actnCreatenew\" of the command table names no action of the list"}},
  };
  for (const auto& c : cases) {
    TRows rows(real.begin(), real.end());
    c.Change(rows);
    EXPECT_EQ(TMainCommands::CheckBindings(*form.actnlstMain, rows), c.Problems) << c.Case;
  }

  auto* planted = new TAction(&form);
  planted->SetName("actnPlanted");
  planted->SetActionList(form.actnlstMain);
  EXPECT_EQ(TMainCommands::CheckBindings(*form.actnlstMain, real),
            std::vector<AnsiString>{"The action \"actnPlanted\" has no row in the command table"});
  EXPECT_FALSE(planted->Execute());
}

// Every item of the form file that shows a command shows an action of the window's list, and
// the window built from the file shows that very action; only the "(empty)" entry of the recent
// documents is a plain item.
TEST_F(CommandTable, EveryItemOfTheFormFileShowsAnActionOfTheList) {
  TMainForm& form = MakeForm();
  int items = 0;
  std::set<std::string> plain;
  for (const TFileObject& object : objects_) {
    const auto at = object.Props.find("Action");
    if (at == object.Props.end()) {
      if (object.Class == "TSkinItem") plain.insert(object.Name);
      continue;
    }
    ++items;
    auto* action = dynamic_cast<TAction*>(form.FindComponent(at->second));
    ASSERT_NE(action, nullptr) << object.Name << " shows " << at->second;
    EXPECT_EQ(action->ActionList(), form.actnlstMain) << object.Name;
    auto* item = dynamic_cast<TBarCustomItem*>(form.FindComponent(object.Name));
    ASSERT_NE(item, nullptr) << object.Name;
    EXPECT_EQ(item->Action(), action) << object.Name;
  }
  EXPECT_GE(items, 180);
  EXPECT_EQ(plain, std::set<std::string>{"bmnitmEmpty"});
}

// The window's actions carry the captions, categories, images and keys of the form file; the
// commands whose handlers moved into the table keep theirs.
TEST_F(CommandTable, ActionsKeepTheTextsAndKeysOfTheFormFile) {
  TMainForm& form = MakeForm();
  const std::vector<const TFileObject*> actions = FileActions();
  ASSERT_EQ(static_cast<int>(actions.size()), form.actnlstMain->ActionCount());
  for (const TFileObject* file : actions) {
    auto* action = dynamic_cast<TAction*>(form.FindComponent(file->Name));
    ASSERT_NE(action, nullptr) << file->Name;
    auto prop = [&](const char* Name) {
      const auto at = file->Props.find(Name);
      return at == file->Props.end() ? std::string() : at->second;
    };
    // "On the Internet" takes the product's name into its caption when the window is made.
    if (file->Name != "actnOnTheInternet") {
      const std::vector<WideString> caption = Strings(prop("Caption"));
      EXPECT_EQ(action->Caption(), caption.empty() ? WideString() : caption[0]) << file->Name;
    }
    EXPECT_EQ(action->Category(), Strings(prop("Category")).at(0)) << file->Name;
    EXPECT_EQ(action->ShortCut(), prop("ShortCut").empty() ? 0 : std::stoi(prop("ShortCut"))) << file->Name;
    EXPECT_EQ(action->ImageIndex(), prop("ImageIndex").empty() ? -1 : std::stoi(prop("ImageIndex"))) << file->Name;
    const std::vector<WideString> secondary = Strings(prop("SecondaryShortCuts.Strings"));
    ASSERT_EQ(action->SecondaryShortCuts()->Count(), static_cast<int>(secondary.size())) << file->Name;
    for (int i = 0; i < action->SecondaryShortCuts()->Count(); ++i)
      EXPECT_EQ(AnsiToWide(action->SecondaryShortCuts()->Strings(i)), secondary[i]) << file->Name;
  }
  struct {
    const char* Name;
    const wchar_t* Caption;
    const char* Key;
  } const moved[] = {
      {"actnCreateNew", L"Create New", "Ctrl+N"},
      {"actnOpen", L"Open...", "Ctrl+O"},
      {"actnClose", L"Close", "Ctrl+W"},
      {"actnCloseAll", L"Close all", "Ctrl+Alt+W"},
      {"actnCloseOtherTabs", L"Close other tabs", "Shift+Ctrl+Alt+W"},
      {"actnSave", L"Save", "Ctrl+S"},
      {"actnSaveAs", L"Save as...", "F12"},
      {"actnSaveAll", L"Save all", "Shift+Ctrl+S"},
      {"actnPrintPreview", L"Print preview", "Ctrl+F2"},
      {"actnExit", L"Exit", ""},
      {"actnCheckForUpdates", L"Check for updates", ""},
  };
  for (const auto& m : moved) {
    TAction* action = form.Commands->Action(m.Name);
    ASSERT_NE(action, nullptr) << m.Name;
    EXPECT_EQ(action->Caption(), m.Caption) << m.Name;
    EXPECT_EQ(action->ShortCut(), *m.Key ? TextToShortCut(WideString(AnsiToWide(m.Key))) : 0) << m.Name;
  }
}

// The little reader above takes form-file strings as the framework writes them.
TEST(FormFileStrings, PartsJoinAndListsSplit) {
  struct {
    const char* Value;
    std::vector<WideString> Strings;
  } const cases[] = {
      {"'Dos (CR+LF)'", {L"Dos (CR+LF)"}},
      {"'it''s'", {L"it's"}},
      {"'a'#10'b'", {L"a\nb"}},
      {"'first line'#10 + 'second'", {L"first line\nsecond"}},
      {"( 'Ctrl+F12' 'Ctrl+Alt+F2')", {L"Ctrl+F12", L"Ctrl+Alt+F2"}},
      {"'\xc3\xa9t\xc3\xa9'", {L"\u00e9t\u00e9"}},
      {"''", {L""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Strings(c.Value), c.Strings) << c.Value;
}
