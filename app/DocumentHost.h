// What the commands, the dialogs and the documents need of the window that holds the documents:
// the documents and the active one, activation and saving, the texts it names encodings with,
// and the few services of the window itself. The main window is the host; tests put a fake in
// its place.
#pragma once

#include "framework/Types.h"
#include "framework/Win.h"

class TApCustomAppStorage;
class TDocument;
class TDocumentFrame;
class TDocumentList;
class TOptions;
class TStringList;
class TStrings;
class TTxtEdit;

class TDocumentHost {
 public:
  virtual ~TDocumentHost() = default;

  // ---- the documents ----
  // The open documents; null while there is no list.
  virtual TDocumentList* Documents() const = 0;
  // The document whose page shows, or null.
  virtual TDocument* ActiveDocument() const = 0;
  // Brings the document's page and tab forward.
  virtual void ActivateDocument(TDocument* Document) = 0;
  // To its own file, else under a name asked for; true only when the text reached a file.
  virtual bool Save(TDocument* Document) = 0;

  // ---- texts ----
  // The name of an encoding code, as the encoding boxes list it.
  virtual WideString EncodingName(int Code) = 0;

  // ---- the window ----
  // The window's handle, null while it has none: dialogs lock its drawing and place themselves
  // over it while it shows.
  virtual HWND WindowHandle() = 0;
  // Where the window keeps its settings (the find dialog keeps its histories there); may be null.
  virtual TApCustomAppStorage* SettingsStorage() const = 0;
  // The commands of the main menu by name, each with its item (null before they are listed), and
  // listing them again after their shortcuts changed.
  virtual TStringList* CommandList() const = 0;
  virtual void BuildCommandList() = 0;
  // The recent documents: how many are listed, and clearing them with the remembered caret
  // positions, which are written at once (raises when they cannot be).
  virtual int RecentDocumentCount() const = 0;
  virtual void ClearRecentDocuments() = 0;
  // The options that shape the window itself: the recent list's length, the tabs' close button.
  virtual void ApplyWindowOptions(const TOptions& Options) = 0;
  // The recent characters of the character palette, made on first use.
  virtual TStrings* PaletteCharacters() = 0;
  // Writes the settings files now ("Preferences.ini", "Toolbars.ini", "Shortcuts.ini"), after a
  // dialog changed them, so that they outlive a crash; a failure is logged, not raised.
  virtual void SaveSettings() {}

  // ---- the active document's parts: null or false without one ----
  bool HasActiveDocument() const { return ActiveDocument() != nullptr; }
  TDocumentFrame* ActiveFrame() const;
  TTxtEdit* ActiveEditor() const;
  // It shows its editor, not its print preview.
  bool ActiveInEditView() const;
  // It shows its editor, which is not read-only.
  bool CanEditActive() const;
};
