// The main data module: the image lists of the main window's menus, toolbars and tab bar, of
// the find dialog's banner, the print preview's bar and the editor's bookmarks, read from its form file. Forms name
// them as "MainDataModule.<list>"; such references resolve once the module is made.
#pragma once

#include "framework/Component.h"

class TPngImageList;

class TMainDataModule : public TComponent {
  HV_CLASS(TMainDataModule, TComponent)
 public:
  explicit TMainDataModule(TComponent* AOwner);
  ~TMainDataModule() override;
  // Reads the form file (once): the references other forms hold to its lists are resolved.
  void AfterConstruction() override;

  // 16 x 16 images of the commands (the actions' ImageIndex).
  TPngImageList* pngmglstMain = nullptr;
  // The tab bar: 0 a read-only document, 1 the new-tab button.
  TPngImageList* pngmglstTabs = nullptr;
  // The find dialog's banner: 0 the search wrapped around, 1 nothing found.
  TPngImageList* pngmglstBanner = nullptr;
  // The print preview's bar: 0 first, 1 previous, 2 next, 3 last page.
  TPngImageList* pngmglstPrintPreview = nullptr;
  // The editor's gutter: the images of bookmarks 0 to 9.
  TPngImageList* pngmglstBookmarks = nullptr;

 private:
  bool constructed_ = false;
};

// The program's one data module, null before it is made and after it is gone.
extern TMainDataModule* MainDataModule;

// The images of pngmglstMain by command.
enum TMainImage {
  miNew,
  miOpen,
  miSave,
  miSaveAll,
  miClose,
  miPrintPreview,
  miPrint,
  miPageSetup,
  miUndo,
  miRedo,
  miCut,
  miCopy,
  miPaste,
  miSelectAll,
  miFind,
  miReplace,
  miGoto,
  miWordWrap,
  miNonprinting,
  miIncrease,
  miDecrease,
  miDateAndTime,
  miOtherCharacters,
  miReadOnly,
  miToggleBookmark,
  miClearBookmarks,
  miSort,
  miBlockIndent,
  miBlockUnindent,
  miStatistics,
  miPreferences,
  miOnTheInternet,
  miCheckForUpdates,
  miAbout,
  miMatchBracket,
  miMainImageCount
};
