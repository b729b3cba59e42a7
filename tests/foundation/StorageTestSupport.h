// Shared by the storage tests: INI storages over files in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/ApAppIniStorage.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"
#include "framework/UtilityWindow.h"

class StorageTest : public ::testing::Test {
 protected:
  // What storages hand to the application's exception handling (a flush failing in a
  // destructor) is collected here instead of being shown.
  StorageTest() : previous_(SetWindowExceptionHandler(&Collect)) { Reported().clear(); }
  ~StorageTest() override { SetWindowExceptionHandler(previous_); }
  static std::vector<std::string>& Reported() {
    static std::vector<std::string> reported;
    return reported;
  }
  static void Collect(std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      Reported().push_back(e.what());
    }
  }

  // A storage of the file Name in the scratch folder (read when first used).
  std::unique_ptr<TApAppIniFileStorage> Open(const char* Name = "settings.ini") {
    auto s = std::make_unique<TApAppIniFileStorage>(nullptr);
    s->SetLocation(flCustom);
    s->SetFileName(FileOf(Name));
    return s;
  }
  AnsiString FileOf(const char* Name) const { return WideToAnsi(dir.File(AnsiToWide(Name))); }
  AnsiString FileText(const char* Name = "settings.ini") const {
    TMemoryStream m;
    m.LoadFromFile(dir.File(AnsiToWide(Name)));
    return AnsiString(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
  }
  void WriteFile(const AnsiString& Text, const char* Name = "settings.ini") const {
    TFileStream f(dir.File(AnsiToWide(Name)), fmCreate);
    f.WriteBuffer(Text.data(), static_cast<int>(Text.size()));
  }
  // The lines of one section of the file, joined by "|".
  AnsiString SectionText(const AnsiString& Section, const char* Name = "settings.ini") const {
    AnsiString text = FileText(Name), out, header = "[" + Section + "]";
    size_t at = text.find(header + "\r\n");
    if (at == AnsiString::npos) return "<none>";
    size_t pos = at + header.size() + 2;
    while (pos < text.size() && text[pos] != '[' && text.compare(pos, 2, "\r\n") != 0) {
      size_t end = text.find("\r\n", pos);
      if (!out.empty()) out += "|";
      out += text.substr(pos, end - pos);
      pos = end + 2;
    }
    return out;
  }

  TTempDirectory dir{L"hvstore"};

 private:
  TWindowExceptionHandler previous_;
};
