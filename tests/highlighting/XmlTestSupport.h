// Helpers of the XML tests: the message of an expected error, and documents parsed from text.
#pragma once

#include <exception>
#include <string>

#include "highlighting/XmlDom.h"

// The UTF-8 message of the EXmlError that F raises; another exception or none says so.
template <class F>
std::string XmlErrorOf(F f) {
  try {
    f();
  } catch (const EXmlError& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("other exception: ") + e.what();
  }
  return "(nothing raised)";
}

inline IXmlDocument ParsedXml(const AnsiString& Text, bool KeepWhiteSpace = false) {
  IXmlDocument doc = CreateXmlDocument();
  doc->SetKeepWhiteSpace(KeepWhiteSpace);
  doc->LoadFromText(Text);
  return doc;
}
