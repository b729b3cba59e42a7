// What the printing tests share: the CUPS "PDF" printer's files found by their job title, and
// Unix tools run from the Windows side to read them back.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "framework/Win.h"

// A Unix path as this process sees it.
inline std::wstring DosPath(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return L"Z:" + path;
}

inline std::string ReadUnixFile(const std::wstring& unixPath) {
  std::ifstream in(DosPath(unixPath).c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs a Unix shell command and waits until it is done. Wine starts Unix programs without a
// process to wait for, so the command ends by creating `done`, which is polled for.
inline bool RunUnix(const std::wstring& command, const std::wstring& done) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"/bin/sh -c \"" + command + L" >/dev/null 2>&1; touch '" + done + L"'\"";
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 300; ++i, Sleep(50))
    if (DeleteFileW(DosPath(done).c_str())) return true;
  return false;
}

// The job's file in the folder: its name holds the job title; ready once its size stops
// changing. Empty when none came within half a minute.
inline std::wstring WaitForPdf(const std::wstring& dir, const std::wstring& title) {
  long long lastSize = -1;
  for (int i = 0; i < 300; ++i, Sleep(100)) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((DosPath(dir) + L"\\*" + title + L"*.pdf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    FindClose(find);
    const long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size > 0 && size == lastSize) return dir + L"/" + data.cFileName;
    lastSize = size;
  }
  return {};
}

// The text of a PDF as pdftotext lays it out (every page ends with a form feed); the PDF and
// the text file are removed afterwards.
inline std::string PdfText(const std::wstring& pdf) {
  if (!RunUnix(L"pdftotext -layout '" + pdf + L"' '" + pdf + L".txt'", pdf + L".done")) return {};
  std::string text = ReadUnixFile(pdf + L".txt");
  DeleteFileW(DosPath(pdf + L".txt").c_str());
  DeleteFileW(DosPath(pdf).c_str());
  return text;
}

// The folder the PDF printer writes to, when the printer and the folder are set up.
inline std::wstring PdfFolder() {
  wchar_t dir[1024] = {};
  return GetEnvironmentVariableW(L"VERDAN_PDF_DIR", dir, 1024) ? std::wstring(dir) : std::wstring();
}
