// The update check: the request, the reading of replies (and of thousands of mangled ones), and
// whole checks against a small server on 127.0.0.1 that answers as each case asks.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <random>
#include <thread>

#include "app/UpdateCheck.h"
#include "app/UsefulWindows.h"
#include "framework/Application.h"

namespace {

const AnsiString maker = "www.halcorn.com";

AnsiString Reply(const AnsiString& Date, const AnsiString& Link, const AnsiString& Status = "HTTP/1.1 200 OK") {
  return Status + "\r\nContent-Type: text/html\r\n\r\nVerdan 1.5\r\n" + Date + "\r\n" + Link + "\r\n";
}

TEST(UpdateReply, RequestAndReplies) {
  EXPECT_EQ(BuildUpdateRequest("h.example"),
            "POST /verdan/downloads/upgetver.php HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            "Accept: text/html, */*\r\nUser-Agent: Halcorn Verdan 1.4\r\nHost: h.example\r\nConnection: Keep-Alive\r\n"
            "Content-Length: 12\r\n\r\ngetverinfo=1");
  struct {
    AnsiString reply;
    bool valid;
  } cases[] = {
      {Reply("11.08.2008", "http://www.halcorn.com/verdan/"), true},
      {Reply("10.08.2008", "https://WWW.Halcorn.com:443/d?x=1"), true},
      {"HTTP/1.0 200\nVerdan 1.5\n01.01.2010\nhttp://www.halcorn.com", true},  // LF only, no final break
      {"HTTP/1.0 200 OK\r\n01.01.2010\r\nhttp://www.halcorn.com/", false},     // three lines
      {Reply("11.08.2008", "http://www.halcorn.com/", "HTTP/1.1 404 Not Found"), false},
      {Reply("11.08.2008", "http://www.halcorn.com/", "HTTP/1.1 2000 OK"), false},
      {Reply("2008-08-11", "http://www.halcorn.com/"), false},
      {Reply("32.01.2009", "http://www.halcorn.com/"), false},
      {Reply("29.02.2009", "http://www.halcorn.com/"), false},
      {Reply("1.8.2009", "http://www.halcorn.com/"), false},
      {Reply("11.08.2008", "www.setup.exe"), false},
      {Reply("11.08.2008", "http://evil.example/"), false},
      {Reply("11.08.2008", "http://www.halcorn.com.evil.example/"), false},
      {Reply("11.08.2008", "http://www.halcorn.com@evil.example/"), false},
      {Reply("11.08.2008", "ftp://www.halcorn.com/"), false},
      {Reply("11.08.2008", "http://www.halcorn.com/a b"), false},
      {Reply("11.08.2008", "http://www.halcorn.com:80x/"), false},
      {Reply("11.08.2008", "file://www.halcorn.com/"), false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseUpdateReply(c.reply, maker).Valid, c.valid) << c.reply;
  const TUpdateReply good = ParseUpdateReply(Reply("11.08.2008 ", " http://www.halcorn.com/v"), maker);
  EXPECT_EQ(good.Version + "|" + good.Address, "Verdan 1.5|http://www.halcorn.com/v");
  EXPECT_EQ(good.Date, ReleaseDate() + 1);
}

TEST(UpdateReply, MangledRepliesEndInAnAnswerThatHolds) {
  const AnsiString seed = Reply("11.08.2008", "http://www.halcorn.com/verdan/");
  std::mt19937 random(34);
  const char pieces[] = "\r\n.:/@ 0129HTtp";
  for (int i = 0; i < 4000; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 6); m > 0; --m) {
      const size_t at = random() % (text.size() + 1);
      switch (random() % 4) {
        case 0:
          if (at < text.size()) text.erase(at, 1 + random() % 4);
          break;
        case 1: text.insert(at, 1, pieces[random() % (sizeof pieces - 1)]); break;
        case 2:
          if (at < text.size()) text[at] = static_cast<char>(random());
          break;
        default: text.insert(at, text.substr(random() % text.size(), random() % 8));
      }
    }
    const TUpdateReply reply = ParseUpdateReply(text, maker);
    if (!reply.Valid) continue;
    EXPECT_TRUE(IsMakerAddress(reply.Address, maker) && reply.Date > 0) << text;
    EXPECT_EQ(text.compare(0, 12, "HTTP/1.1 200"), 0) << text;
  }
}

// ---- whole checks against a loopback server ----

struct TLoopServer {
  // Answers one connection with the chunks, a pause between them, then closes (or holds the
  // connection open for HoldMs first).
  TLoopServer(std::vector<AnsiString> Chunks, int HoldMs = 0) : chunks(std::move(Chunks)), hold(HoldMs) {
    StartSockets();
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    listen(listener, 1);
    worker = std::thread([this] { Serve(); });
  }
  ~TLoopServer() {
    closesocket(listener);
    worker.join();
  }
  void Serve() {
    const SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    char buffer[1024];
    while (request.find("getverinfo=1") == AnsiString::npos) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    for (const AnsiString& chunk : chunks) {
      send(client, chunk.data(), static_cast<int>(chunk.size()), 0);
      Sleep(60);
    }
    Sleep(hold);
    closesocket(client);
  }
  std::vector<AnsiString> chunks;
  int hold;
  SOCKET listener;
  int port = 0;
  AnsiString request;
  std::thread worker;
};

// Answers every question with Answer and records each box as "flags|text".
struct TAnswerer : TMessageBoxHandler {
  explicit TAnswerer(int A) : answer(A), previous(Application->SetMessageBoxHandler(this)) {}
  ~TAnswerer() override { Application->SetMessageBoxHandler(previous); }
  int Show(HWND, const WideString& Text, const WideString&, UINT Flags) override {
    shown.push_back(std::to_wstring(Flags) + L"|" + Text);
    return answer;
  }
  int answer;
  TMessageBoxHandler* previous;
  std::vector<WideString> shown;
};

std::vector<WideString> opened;
void RecordOpen(const WideString& FileName, const WideString&, const WideString&) { opened.push_back(FileName); }

void RunCheck(TUpdateCheck& Check, int Port, bool Silent, const AnsiString& Host = "127.0.0.1") {
  Check.ServerHost = Host;
  Check.ServerPort = Port;
  Check.Start(Silent);
  const DWORD until = GetTickCount() + 10000;
  while (Check.Running() && GetTickCount() < until) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

const WideString failure =
    L"16|Unable to check for updates. Probably, you are not connected to the Internet or the update center is "
    L"encountering problems.";
const WideString newer =
    L"68|A new version is available \x2014 Verdan 1.5. Would you like to open a download page?\r\n\r\n"
    L"http://www.halcorn.com/verdan/";

TEST(UpdateCheck, AgainstALoopbackServer) {
  const AnsiString good = Reply("11.08.2008", "http://www.halcorn.com/verdan/");
  struct {
    const char* what;
    std::vector<AnsiString> chunks;
    bool silent;
    int answer;
    std::vector<WideString> boxes;
    bool opens;
  } cases[] = {
      {"newer, yes", {good}, false, IDYES, {newer}, true},
      {"newer, no", {good}, false, IDNO, {newer}, false},
      {"newer, silent", {good}, true, IDYES, {newer}, true},
      {"split across packets", {good.substr(0, 5), good.substr(5, 40), good.substr(45)}, false, IDNO, {newer}, false},
      {"the same day",
       {Reply("10.08.2008", "http://www.halcorn.com/")},
       false,
       IDYES,
       {L"64|You are using the latest version of Halcorn Verdan."},
       false},
      {"the same day, silent", {Reply("10.08.2008", "http://www.halcorn.com/")}, true, IDYES, {}, false},
      {"bad date", {Reply("08/11/2008", "http://www.halcorn.com/")}, false, IDYES, {failure}, false},
      {"hostile link", {Reply("11.08.2008", "www.setup.exe")}, false, IDYES, {failure}, false},
      {"closes without data", {}, false, IDYES, {failure}, false},
      {"closes without data, silent", {}, true, IDYES, {}, false},
  };
  TShellOpenHandler previousShell = SetShellOpenHandler(RecordOpen);
  for (auto& c : cases) {
    TAnswerer boxes(c.answer);
    opened.clear();
    TUpdateCheck check;
    {
      TLoopServer server(c.chunks);
      RunCheck(check, server.port, c.silent);
      EXPECT_FALSE(check.Running()) << c.what;
    }
    EXPECT_EQ(boxes.shown, c.boxes) << c.what;
    EXPECT_EQ(opened, c.opens ? std::vector<WideString>{L"http://www.halcorn.com/verdan/"} : std::vector<WideString>{})
        << c.what;
  }
  SetShellOpenHandler(previousShell);
}

TEST(UpdateCheck, SendsTheRequestAndGivesUpOnNoServerOrSilence) {
  TAnswerer boxes(IDNO);
  TUpdateCheck check;
  {
    TLoopServer server({}, 1500);
    check.Timeout = 300;
    const DWORD start = GetTickCount();
    RunCheck(check, server.port, false);
    EXPECT_LT(GetTickCount() - start, 1400u);  // the timeout, not the server's close, ended it
    EXPECT_EQ(server.request, BuildUpdateRequest("127.0.0.1"));
  }
  EXPECT_EQ(boxes.shown, std::vector<WideString>{failure});

  // A port where nobody listens.
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int size = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  const int freePort = ntohs(address.sin_port);
  closesocket(probe);
  for (bool silent : {false, true}) {
    boxes.shown.clear();
    RunCheck(check, freePort, silent);
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(boxes.shown, silent ? std::vector<WideString>{} : std::vector<WideString>{failure});
  }
  // A name no one knows fails (or times out) without holding up the window.
  boxes.shown.clear();
  check.Timeout = 3000;
  const DWORD start = GetTickCount();
  check.ServerHost = "no-such-host.invalid";
  check.Start(false);
  EXPECT_LT(GetTickCount() - start, 200u);
  RunCheck(check, freePort, false, "no-such-host.invalid");
  EXPECT_EQ(boxes.shown, std::vector<WideString>{failure});
}

TEST(UpdateCheck, AHostNameIsLookedUpWithoutBlocking) {
  TAnswerer boxes(IDNO);
  TUpdateCheck check;
  TLoopServer server({Reply("10.08.2008", "http://www.halcorn.com/")});
  RunCheck(check, server.port, false, "localhost");
  EXPECT_EQ(boxes.shown, std::vector<WideString>{L"64|You are using the latest version of Halcorn Verdan."});
  EXPECT_EQ(server.request, BuildUpdateRequest("localhost"));
}

}  // namespace
