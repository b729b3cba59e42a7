// What the scripted runs read off the screen that X cannot tell them: the texts of a window's
// controls and where a control sits, found by the window's title.
//   WinText.exe texts "<title>" <class>     the texts of the title's visible controls of that
//                                           class, one per line
//   WinText.exe center "<title>" "<text>"   the screen centre "x y" of the visible control that
//                                           shows the text
//   WinText.exe items "<title>" <class>     the items of the title's first visible list box of
//                                           that class, one per line: the screen "x y" of the
//                                           item's left end, halfway down, and 1 when it is
//                                           selected, else 0
// The title may be a leading part of the window's title. Exit code 1 when nothing matched.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TSearch {
  std::wstring Title;
  HWND Found = nullptr;
};

// Asked of the window itself: GetWindowText gives only the caption the system keeps for a
// window of another process, not what was typed into an edit box.
std::wstring TextOf(HWND Window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(Window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return text;
}

BOOL CALLBACK TopLevel(HWND Window, LPARAM Data) {
  auto* search = reinterpret_cast<TSearch*>(Data);
  if (!IsWindowVisible(Window) || TextOf(Window).rfind(search->Title, 0) != 0) return TRUE;
  search->Found = Window;
  return FALSE;
}

BOOL CALLBACK Child(HWND Window, LPARAM Data) {
  if (IsWindowVisible(Window)) reinterpret_cast<std::vector<HWND>*>(Data)->push_back(Window);
  return TRUE;
}

void Print(const std::wstring& Line) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, Line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  std::printf("%s\n", utf8.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const std::wstring command = argv[1], match = argv[3];
  TSearch search{argv[2]};
  EnumWindows(&TopLevel, reinterpret_cast<LPARAM>(&search));
  if (!search.Found) return 1;
  std::vector<HWND> children;
  EnumChildWindows(search.Found, &Child, reinterpret_cast<LPARAM>(&children));
  int matched = 0;
  for (HWND child : children) {
    wchar_t className[256] = {};
    GetClassNameW(child, className, 256);
    if (command == L"texts" && lstrcmpiW(className, match.c_str()) == 0) {
      Print(TextOf(child));
      ++matched;
    } else if (command == L"items" && lstrcmpiW(className, match.c_str()) == 0) {
      // Messages without pointers only: they cross into the other process as they are.
      auto ask = [child](UINT Message, WPARAM W) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(child, Message, W, 0, SMTO_ABORTIFHUNG, 5000, &result);
        return static_cast<long>(result);
      };
      const long count = ask(LB_GETCOUNT, 0), top = ask(LB_GETTOPINDEX, 0), height = ask(LB_GETITEMHEIGHT, 0);
      POINT origin{0, 0};
      ClientToScreen(child, &origin);
      for (long i = 0; i < count; ++i)
        std::printf("%ld %ld %d\n", origin.x, origin.y + (i - top) * height + height / 2,
                    ask(LB_GETSEL, static_cast<WPARAM>(i)) > 0 ? 1 : 0);
      return 0;
    } else if (command == L"center" && TextOf(child) == match) {
      RECT r{};
      GetWindowRect(child, &r);
      std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
      return 0;
    }
  }
  return matched > 0 ? 0 : 1;
}
