// The localization engine: a language controller on each form records the form's translatable
// texts by number ("LangData"), and the language manager switches every live form between the
// texts it was designed with and those of a translation file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/LgTranslations.h"
#include "framework/Component.h"
#include "framework/Delegate.h"
#include "framework/Locks.h"
#include "framework/StringLists.h"

class TLgLanguageController;

HV_ENUM(TLgLanguageControllerOption, lgcoAutoSaveLangSource, lgcoIgnoreEmptyProps, lgcoIgnoreNonAlphaProps,
        lgcoIgnoreFontProps)
using TLgLanguageControllerOptions = TSet<TLgLanguageControllerOption>;
using TLgLanguageControllerEvent = TEvent<void(TLgLanguageController* Controller)>;

struct TLgLang_PropEntry {
  int32_t ID = 0;
  AnsiString PropPath;      // relative to the component: Caption, Items[0].Caption, Font.Name
  WideString DefaultValue;  // the designed text, captured at run time
  bool Present = false;     // used while the entries are updated
};

// Property entries sorted by path without regard to ASCII letter case.
class TLgLang_PropEntries {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TLgLang_PropEntry& Items(int Index) { return items_.at(static_cast<size_t>(Index)); }
  const TLgLang_PropEntry& Items(int Index) const { return items_.at(static_cast<size_t>(Index)); }
  bool Find(const AnsiString& Path, int& Index) const;
  TLgLang_PropEntry* FindPath(const AnsiString& Path);
  TLgLang_PropEntry& Add(int32_t ID, const AnsiString& Path);
  void Delete(int Index) { items_.erase(items_.begin() + Index); }

 private:
  std::vector<TLgLang_PropEntry> items_;
};

// One node per named component: the root stands for the form or frame.
class TLgLang_CompEntry {
 public:
  using TLgLang_CompEntries = std::vector<std::unique_ptr<TLgLang_CompEntry>>;

  explicit TLgLang_CompEntry(TLgLang_CompEntry* Owner) : owner_(Owner) {}
  // The component's name when bound, else the stored name.
  AnsiString Name() const;
  TComponent* Component() const { return component_; }
  TLgLang_CompEntry* OwnerEntry() const { return owner_; }
  TLgLang_PropEntries* PropEntries() const { return props_.get(); }
  TLgLang_PropEntries& NeedPropEntries();
  TLgLang_CompEntries* Children() const { return children_.get(); }
  TLgLang_CompEntry* FindChild(TComponent* Component) const;
  TLgLang_CompEntry& AddChild(TComponent* Component);
  void FreeEmptyLists();
  // Puts the children in the order of the bound components in their owner's component list.
  void OrderChildren();

  // Binds this entry to Component and its children to the components it owns of their names;
  // children whose component no longer exists are dropped.
  void Bind(TComponent* Component);
  // Drops the entry of Component anywhere below this one; true when it was found.
  bool RemoveComponent(TComponent* Component);
  int32_t MaxID() const;

  // The byte layout of "LangData" (little endian, 16-bit name lengths).
  void ReadFromStream(TStream& Stream);
  void WriteToStream(TStream& Stream) const;

 private:
  std::unique_ptr<TLgLang_PropEntries> props_;
  std::unique_ptr<TLgLang_CompEntries> children_;
  AnsiString storedName_;
  TComponent* component_ = nullptr;
  TLgLang_CompEntry* owner_;
};

class TLgLanguageController : public TComponent {
  HV_CLASS(TLgLanguageController, TComponent)
 public:
  explicit TLgLanguageController(TComponent* AOwner);
  ~TLgLanguageController() override;

  TStrings* IgnoreList() const { return ignoreList_.get(); }
  void SetIgnoreList(TStrings* Value) { ignoreList_->Assign(Value); }
  TStrings* StoreList() const { return storeList_.get(); }
  void SetStoreList(TStrings* Value) { storeList_->Assign(Value); }
  TLgLanguageControllerOptions Options() const { return options_; }
  void SetOptions(TLgLanguageControllerOptions Value) { options_ = Value; }
  WideString SectionName() const { return sectionName_; }
  void SetSectionName(const WideString& Value) { sectionName_ = Value; }
  // SectionName, else the owner's name.
  WideString ActualSectionName() const;

  TLgLang_CompEntry& RootEntry() { return *root_; }
  // Capturing mode (Modify false): the current values become the designed texts of the
  // recorded paths. Modifying mode: new paths get new numbers and vanished ones are dropped.
  void UpdateEntries(bool Modify);
  // "<component path>.<property path>=<8-digit id>,<escaped designed text>" per entry.
  std::vector<WideString> LangSourceLines() const;

  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

  TLgLanguageControllerEvent OnLanguageChanging;
  TLgLanguageControllerEvent OnLanguageChanged;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void UpdateEntry(TLgLang_CompEntry& Entry, const AnsiString& CompPath, bool Modify, int32_t& NextID);

  std::unique_ptr<TStringList> ignoreList_;
  std::unique_ptr<TStringList> storeList_;
  TLgLanguageControllerOptions options_;
  std::unique_ptr<TLgLang_CompEntry> root_;
  WideString sectionName_;
  bool registered_ = false;
};

// Applies Translations (null: the designed texts) to one controller's components.
void TranslateController(TLgLang_CompTranslations* Translations, TLgLanguageController* Controller);

struct TLgLang_LangResource {
  enum TKind : uint8_t { lrResourceName, lrResourceNumber, lrFile };
  TKind Kind = lrFile;
  HINSTANCE Instance = nullptr;
  WideString Name;  // resource or file name
  int ResNumber = 0;
  LANGID LangID = 0;
};
using TLgLang_LangResources = std::vector<TLgLang_LangResource>;

class TLgLanguageManager {
 public:
  TLgLanguageManager();
  TLgLanguageManager(const TLgLanguageManager&) = delete;
  TLgLanguageManager& operator=(const TLgLanguageManager&) = delete;

  int GetLanguageCount();
  LANGID GetLanguageIDs(int Index);
  LANGID GetLanguageID();
  int GetLanguageIndex();
  WideString GetLanguageNames(int Index);
  LANGID DefaultLanguageID() const { return defaultLanguageID_; }
  uint32_t CodePage() const { return codePage_; }
  TLgLang_Constants& Constants() { return constants_; }

  // Registers every file of Dir matching Mask; the number of files accepted.
  int ScanForLanguageFiles(const WideString& Dir, const WideString& Mask, bool Recursive);
  // False for a missing file or one without a language id; a file of the default language is
  // accepted without being registered; a later file of a registered language replaces it.
  bool RegisterLanguageFile(const WideString& FileName);
  // Forgets every registered language (the current one stays as it is).
  void ClearLanguageFiles();
  void SetLanguageID(LANGID LangID);

  void AddLangController(TLgLanguageController* Controller);
  void RemoveLangController(TLgLanguageController* Controller);
  void TranslateOneController(TLgLanguageController* Controller);
  void ApplyTranslationToAll(TLgLang_CompTranslations* Translations);

 private:
  std::unique_ptr<TLgLang_CompTranslations> LoadTranslationsForLanguage(LANGID LangID);

  TMultiReadExclusiveWriteSynchronizer lock_;
  TLgLang_Constants constants_;
  std::vector<TLgLanguageController*> controllers_;
  TLgLang_LangResources languages_;
  uint32_t codePage_;
  LANGID defaultLanguageID_ = 1033;
  LANGID languageID_ = 1033;
};

// The manager, created on first use; a design tool (DesignTimeProcess) may not ask for it:
// ELgLangError "Call to LangManager() is allowed at runtime only".
TLgLanguageManager& LangManager();
