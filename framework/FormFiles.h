// Form files: the text that describes a form or frame (its components, their properties and
// event handlers), read into live components and written back from them.
//
// Grammar (UTF-8 text; keywords and names compared without regard to ASCII case; blanks and
// line breaks separate tokens and carry no other meaning):
//
//   file       = object
//   object     = ("object" | "inherited" | "inline") [name ":"] class
//                { property | object } "end"
//   property   = name { "." name } "=" value
//   value      = integer | float | string | ident { "." ident } | set | list | collection
//              | binary
//   integer    = ["-"] digits | ["-"] "$" hexdigits      ($ with up to 8 digits is a 32-bit
//                                                         pattern: $FFFFFFFF is -1)
//   float      = ["-"] digits "." digits [exponent] | ["-"] digits exponent
//   string     = part { part } { "+" part { part } }      (parts next to each other join)
//   part       = "'" characters "'"                        ('' stands for one ')
//              | "#" digits | "#$" hexdigits               (one UTF-16 code unit)
//   set        = "[" [ident { "," ident }] "]"
//   list       = "(" { value } ")"
//   collection = "<" { "item" { property } "end" } ">"
//   binary     = "{" { hexdigit pairs, blanks allowed } "}"
//
// "inherited" names a component that exists already (from the ancestor's form file); "inline"
// an embedded frame, whose own components are then listed as "inherited". Identifiers as
// values are enumeration names, True/False, nil, registered integer identifiers (colour
// names), component references ("Button1", "OtherForm.Button1") or event handler names.
//
// Written text follows one layout, so that a file in that layout is written back unchanged:
// two blanks of indentation per level; properties (published ones in declaration order, the
// defined ones after them) before nested objects; only values that are stored and differ from
// the default, or from the ancestor when an inherited form is written; decimal integers; the
// shortest float that reads back exactly, always with a "." or an exponent; strings with
// printable characters (non-ASCII ones as UTF-8) between quotes and the rest as #code, broken
// after each line feed into parts joined by " +" on continuation lines; sets as "[a, b]";
// lists, collections and binary data (32 bytes per line, upper-case hex) opened at the end of
// the property's line, one entry per line, closed right after the last one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Component.h"
#include "framework/Lists.h"

class TStream;

HV_ENUM(TFormValueType, vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
        vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String)

namespace formfile {
struct TValue;
class TLoader;
class TSaver;
}  // namespace formfile

// Hands the values of a form file to the objects being read. DefineProperties code reads its
// own values through the typed operations; a value of another kind raises EReadError
// "Invalid property value". Text form files know these kinds: integers (vaInt8, vaInt16,
// vaInt32 by size, vaInt64 beyond 32 bits), floats (vaExtended), strings (vaString, vaLString
// when longer than 255, vaWString when a character is not ASCII), identifiers (vaIdent, vaTrue,
// vaFalse, vaNil, vaNull for "Null"), sets, lists, collections and binary data.
class TReader : public TFiler {
 public:
  ~TReader() override;

  // The kind of the next value; vaNull at the end of a list.
  TFormValueType NextValue();
  // Takes the next value whole and gives its kind; a list is entered (as ReadListBegin) and
  // the end of a list left (as ReadListEnd).
  TFormValueType ReadValue();
  AnsiString ReadString();  // any string kind, converted to the ANSI code page
  WideString ReadWideString();
  int32_t ReadInteger();
  int64_t ReadInt64();
  long double ReadFloat();  // floats and integers
  bool ReadBoolean();
  std::string ReadIdent();  // identifiers, True, False, nil and Null
  void ReadListBegin();
  void ReadListEnd();  // raises EReadError when values of the list are left
  bool EndOfList();
  // Replaces the collection's items with those of the file.
  void ReadCollection(TCollection* Collection);
  void SkipValue();

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  friend class formfile::TLoader;
  explicit TReader(formfile::TLoader& loader);
  const formfile::TValue& Take();
  const formfile::TValue* Peek();
  [[noreturn]] void InvalidValue();
  void RunDefined(const std::function<void()>& read);

  struct Frame {
    const formfile::TValue* Values;
    size_t Count;
    size_t Index;
  };
  formfile::TLoader& loader_;
  std::vector<Frame> frames_;
  int lists_ = 0;           // lists entered by the defined property being read
  std::string wantedName_;  // the defined property the file names now
  const formfile::TValue* wantedValue_ = nullptr;
  bool found_ = false;
};

// Collects the values that objects write. DefineProperties code writes exactly one value per
// property (a list counts as one).
class TWriter : public TFiler {
 public:
  ~TWriter() override;

  void WriteString(const AnsiString& Value);
  void WriteWideString(const WideString& Value);
  void WriteInteger(int32_t Value);
  void WriteInt64(int64_t Value);
  void WriteFloat(long double Value);
  void WriteBoolean(bool Value);
  void WriteIdent(const std::string& Ident);
  void WriteListBegin();
  void WriteListEnd();
  void WriteCollection(TCollection* Value);

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  friend class formfile::TSaver;
  explicit TWriter(formfile::TSaver& saver);
  void Put(formfile::TValue&& value);
  void RunDefined(const std::string& name, const std::function<void()>& write);

  formfile::TSaver& saver_;
  std::unique_ptr<formfile::TValue> value_;  // the value of the property being written
  std::vector<formfile::TValue*> open_;      // lists begun and not yet ended
  bool haveValue_ = false;
  std::string propertyName_;
};

// Reads the form files of the instance's class and of its ancestors below RootAncestor (the
// base class's file first) from the executable's RCDATA resources named after the classes.
// False when the instance's class is RootAncestor itself; EResNotFound "Resource %s not found"
// with the class name when none of the classes has a file. Call it once the instance is fully
// constructed. Reads started while another one runs (frames created by a form file) join it:
// references are resolved and Loaded called once, when the outermost read ends.
bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor);

// Reads a form file into Root; with Root null, the root is created from the file's class (by
// name, without owner) and returned. SourceName names the text in error messages.
TComponent* ReadComponentFromText(const std::string& Utf8Text, TComponent* Root,
                                  const std::string& SourceName = "form text");
// Reads the form file that the stream holds from its position to its end.
TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Root);

// The form file of Root; with an Ancestor (an instance of Root's ancestor form class, read
// from its own file) only what differs from it, as an inherited form.
std::string WriteComponentToText(TComponent* Root, TComponent* Ancestor = nullptr);
void WriteComponentToStream(TStream* Stream, TComponent* Root, TComponent* Ancestor = nullptr);

// References to components of other roots ("Other.Button1") are looked up through the
// registered finders (the forms layer registers one over its forms and data modules). A
// reference that cannot be resolved when its file has been read stays pending until a later
// read (or GlobalFixupReferences) finds its target; it is dropped when its component goes.
using TFindGlobalComponent = TComponent* (*)(std::string_view Name);
void RegisterFindGlobalComponent(TFindGlobalComponent Finder);
void UnregisterFindGlobalComponent(TFindGlobalComponent Finder);
TComponent* FindGlobalComponent(std::string_view Name);
void GlobalFixupReferences();
int PendingGlobalReferences();
