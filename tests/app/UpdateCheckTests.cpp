// The update check: the request, the reading of replies (and of thousands of mangled ones), and
// whole checks against a small server on 127.0.0.1 that answers as each case asks.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <random>
#include <thread>

#include "app/UpdateCheck.h"
#include "app/WindowRoutines.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/common/LoopbackListener.h"

namespace {

const AnsiString maker = "www.halcorn.com";

AnsiString Reply(const AnsiString& Date, const AnsiString& Link, const AnsiString& Status = "HTTP/1.1 200 OK") {
  return Status + "\r\nContent-Type: text/html\r\n\r\nVerdan 1.5\r\n" + Date + "\r\n" + Link + "\r\n";
}

TEST(UpdateReply, RequestAndReplies) {
  EXPECT_EQ(BuildUpdateRequest("h.example"),
            "POST /verdan/downloads/upgetver.php HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            "Accept: text/html, */*\r\nUser-Agent: Halcorn Verdan 1.4\r\nHost: h.example\r\nConnection: close\r\n"
            "Content-Length: 12\r\n\r\ngetverinfo=1");
  // Without a host named, the request goes to the maker's server.
  EXPECT_EQ(BuildUpdateRequest(), BuildUpdateRequest(maker));
  EXPECT_TRUE(ParseUpdateReply(Reply("11.08.2008", "http://www.halcorn.com/")).Valid);
  const AnsiString link = "http://www.halcorn.com/";
  for (const AnsiString& good : {Reply("11.08.2008", link), Reply("10.08.2008", "https://WWW.Halcorn.com:443/d?x=1"),
                                 AnsiString("HTTP/1.0 200\nVerdan 1.5\n01.01.2010\nhttp://www.halcorn.com")})
    EXPECT_TRUE(ParseUpdateReply(good, maker).Valid) << good;
  for (const AnsiString& bad :
       {AnsiString("HTTP/1.0 200 OK\r\n01.01.2010\r\nhttp://www.halcorn.com/"), AnsiString(),  // three lines, none
        Reply("11.08.2008", link, "HTTP/1.1 404 Not Found"), Reply("11.08.2008", link, "HTTP/1.1 2000 OK"),
        Reply("2008-08-11", link), Reply("32.01.2009", link), Reply("29.02.2009", link), Reply("1.8.2009", link),
        Reply("11.08.2008", "www.setup.exe"), Reply("11.08.2008", "http://www.halcorn.com.evil.example/"),
        Reply("11.08.2008", "http://www.halcorn.com@evil.example/"), Reply("11.08.2008", "ftp://www.halcorn.com/"),
        Reply("11.08.2008", "http://www.halcorn.com/a b"), Reply("11.08.2008", "http://www.halcorn.com:80x/")})
    EXPECT_FALSE(ParseUpdateReply(bad, maker).Valid) << bad;
  const TUpdateReply good = ParseUpdateReply(Reply("11.08.2008 ", " http://www.halcorn.com/v"), maker);
  EXPECT_EQ(good.Version + "|" + good.Address, "Verdan 1.5|http://www.halcorn.com/v");
  EXPECT_EQ(good.Date, ReleaseDate() + 1);
}

TEST(UpdateReply, MangledRepliesEndInAnAnswerThatHolds) {
  const AnsiString seed = Reply("11.08.2008", "http://www.halcorn.com/verdan/");
  std::mt19937 random(34);
  const char inserts[] = "\r\n.:/@ 0129HTtp";
  for (int i = 0; i < 4000; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 6); m > 0; --m) {
      const size_t at = random() % (text.size() + 1), kind = random() % 3;
      if (kind == 0 && at < text.size())
        text.erase(at, 1 + random() % 4);
      else if (kind == 1)
        text.insert(at, 1, inserts[random() % (sizeof inserts - 1)]);
      else if (at < text.size())
        text[at] = static_cast<char>(random());
    }
    const TUpdateReply reply = ParseUpdateReply(text, maker);
    EXPECT_TRUE(!reply.Valid || (IsMakerAddress(reply.Address, maker) && reply.Date > 0)) << text;
  }
}

// A reply whose length header counts its body.
AnsiString SizedReply(const AnsiString& Date, const AnsiString& Link) {
  const AnsiString body = "Verdan 1.5\r\n" + Date + "\r\n" + Link + "\r\n";
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         body;
}

TEST(UpdateReply, AReplyIsWholeByItsLengthHeader) {
  struct {
    const char* Reply;
    bool Whole;
  } const cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabcd", true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nab", false},
      {"HTTP/1.1 200 OK\r\ncontent-LENGTH:0\r\n\r\n", true},
      {"HTTP/1.0 200\nContent-Length:  2 \n\nab", true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", false},  // the headers go on
      {"HTTP/1.1 200 OK\r\n\r\nabc", false},                // no length: whole at the close
      {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\nabc", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nabc", false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 9999999999\r\n\r\nabc", false},
      {"HTTP/1.1 200 OK\r\nX-Content-Length: 0\r\n\r\nabc", false},
      {"HTTP/1.1 200 OK\r\n\r\nContent-Length: 0\r\n\r\n", false},  // in the body, no header
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUpdateReplyComplete(c.Reply), c.Whole) << c.Reply;
}

TEST(UpdateReply, AReplyCutAtEveryByteIsWholeOnlyAtItsEnd) {
  // Every cut of sized replies, and thousands of mangled ones: never whole before the length
  // says, never an error.
  const AnsiString full = SizedReply("11.08.2008", "http://www.halcorn.com/verdan/");
  for (size_t cut = 0; cut <= full.size(); ++cut)
    EXPECT_EQ(IsUpdateReplyComplete(full.substr(0, cut)), cut == full.size()) << cut;
  std::mt19937 random(53);
  for (int i = 0; i < 4000; ++i) {
    AnsiString text = full;
    for (int m = 1 + static_cast<int>(random() % 4); m > 0; --m) {
      const size_t at = random() % (text.size() + 1);
      if (random() % 2 && at < text.size())
        text[at] = "0123456789:\r\n x"[random() % 16];
      else
        text.insert(at, 1, static_cast<char>(random()));
    }
    // More bytes never make a whole reply unwhole: the check may evaluate at the first read
    // that completes it.
    bool whole = false;
    for (size_t cut = 0; cut <= text.size(); ++cut) {
      const bool now = IsUpdateReplyComplete(text.substr(0, cut));
      ASSERT_TRUE(now || !whole) << text << " at " << cut;
      whole = now;
    }
    ParseUpdateReply(text, maker);
  }
}

// Answers one connection with the chunks, a pause between them, then closes (after HoldMs, or
// once the client closed when HoldMs is negative), having sent Flood bytes more.
struct TLoopServer {
  TLoopServer(std::vector<AnsiString> Chunks, int HoldMs = 0, size_t Flood = 0)
      : chunks(std::move(Chunks)), hold(HoldMs), flood(Flood) {
    listener = ListenOnLoopback(port);
    worker = std::thread([this] {
      const SOCKET client = accept(listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      char buffer[1024];
      for (int got = 1; got > 0 && request.find("getverinfo=1") == AnsiString::npos;)
        if ((got = recv(client, buffer, sizeof buffer, 0)) > 0) request.append(buffer, static_cast<size_t>(got));
      for (const AnsiString& chunk : chunks) {
        send(client, chunk.data(), static_cast<int>(chunk.size()), 0);
        Sleep(60);
      }
      const std::string block(65536, 'x');
      for (size_t left = flood; left > 0;) {
        const int sent = send(client, block.data(), static_cast<int>(std::min(left, block.size())), 0);
        if (sent <= 0) break;
        left -= static_cast<size_t>(sent);
      }
      if (hold >= 0) {
        Sleep(static_cast<DWORD>(hold));
      } else {
        // Held open until the client lets go (at most half a minute).
        const DWORD wait = 30000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
        while (recv(client, buffer, sizeof buffer, 0) > 0) {}
      }
      closesocket(client);
    });
  }
  ~TLoopServer() {
    closesocket(listener);
    worker.join();
  }
  std::vector<AnsiString> chunks;
  int hold;
  size_t flood;
  SOCKET listener;
  int port = 0;
  AnsiString request;
  std::thread worker;
};

std::vector<WideString> opened;
void RecordOpen(const WideString& FileName, const WideString&, const WideString&) { opened.push_back(FileName); }

void RunCheck(TUpdateCheck& Check, int Port, bool Silent, const AnsiString& Host = "127.0.0.1") {
  Check.ServerHost = Host;
  Check.ServerPort = Port;
  Check.Start(Silent);
  for (const DWORD until = GetTickCount() + 10000; Check.Running() && GetTickCount() < until;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

const WideString failure =
    L"Unable to check for updates. Probably, you are not connected to the Internet or the update center is "
    L"encountering problems.|Halcorn Verdan|16";
const WideString newer =
    L"A new version is available \x2014 Verdan 1.5. Would you like to open a download page?\r\n\r\n"
    L"http://www.halcorn.com/verdan/|Halcorn Verdan|68";
const WideString latest = L"You are using the latest version of Halcorn Verdan.|Halcorn Verdan|64";

TEST(UpdateCheck, AgainstALoopbackServer) {
  const AnsiString good = Reply("11.08.2008", "http://www.halcorn.com/verdan/");
  const AnsiString same = Reply("10.08.2008", "http://www.halcorn.com/");
  struct {
    std::vector<AnsiString> chunks;
    bool silent;
    int answer;
    std::vector<WideString> boxes;
    bool opens;
  } cases[] = {
      {{good}, false, IDYES, {newer}, true},
      {{good}, false, IDNO, {newer}, false},
      {{good}, true, IDYES, {newer}, true},  // a newer release is told even to a silent check
      {{good.substr(0, 5), good.substr(5, 40), good.substr(45)}, false, IDNO, {newer}, false},
      {{same}, false, IDYES, {latest}, false},
      {{same}, true, IDYES, {}, false},
      {{Reply("08/11/2008", "http://www.halcorn.com/")}, false, IDYES, {failure}, false},
      {{Reply("11.08.2008", "www.setup.exe")}, false, IDYES, {failure}, false},
      {{}, false, IDYES, {failure}, false},  // closed without a word
      {{}, true, IDYES, {}, false},
  };
  TShellOpenHandler previousShell = SetShellOpenHandler(RecordOpen);
  for (auto& c : cases) {
    TMessageBoxRecorder boxes(c.answer);
    opened.clear();
    TUpdateCheck check;
    {
      TLoopServer server(c.chunks);
      RunCheck(check, server.port, c.silent);
    }
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(boxes.Shown, c.boxes) << c.chunks.size() << c.silent;
    EXPECT_EQ(opened, std::vector<WideString>(c.opens ? 1 : 0, L"http://www.halcorn.com/verdan/"));
  }
  SetShellOpenHandler(previousShell);
}

TEST(UpdateCheck, SendsTheRequestAndGivesUpOnSilenceNoServerOrNoName) {
  TMessageBoxRecorder boxes(IDNO);
  TUpdateCheck check;
  {
    TLoopServer server({}, 1500);
    check.Timeout = 300;
    const DWORD start = GetTickCount();
    RunCheck(check, server.port, false, "localhost");  // a name, looked up without blocking
    EXPECT_LT(GetTickCount() - start, 1400u);          // the timeout, not the server's close, ended it
    EXPECT_EQ(server.request, BuildUpdateRequest("localhost"));
  }
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  int size = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(probe);  // a port where nobody listens
  RunCheck(check, ntohs(address.sin_port), true);
  RunCheck(check, ntohs(address.sin_port), false);
  check.Timeout = 3000;
  RunCheck(check, 80, false, "no-such-host.invalid");
  EXPECT_EQ(boxes.Shown, (std::vector<WideString>{failure, failure, failure}));
}

TEST(UpdateCheck, AWholeReplyIsAnsweredWhileTheServerKeepsTheConnection) {
  // The server never closes: the answer comes from the length header, long before the timeout
  // (a check that waited for the close would end in the failure box).
  const AnsiString good = SizedReply("11.08.2008", "http://www.halcorn.com/verdan/");
  const AnsiString same = SizedReply("10.08.2008", "http://www.halcorn.com/");
  struct {
    std::vector<AnsiString> chunks;
    std::vector<WideString> boxes;
    unsigned timeout;
  } const cases[] = {
      {{good}, {newer}, 8000},
      {{good.substr(0, 30), good.substr(30, 50), good.substr(80)}, {newer}, 8000},
      {{same}, {latest}, 8000},
      {{same.substr(0, same.size() - 1)}, {failure}, 1000},  // one byte short: the timeout ends it
  };
  TShellOpenHandler previousShell = SetShellOpenHandler(RecordOpen);
  for (const auto& c : cases) {
    TMessageBoxRecorder boxes(IDNO);
    TUpdateCheck check;
    check.Timeout = c.timeout;
    {
      TLoopServer server(c.chunks, -1);
      RunCheck(check, server.port, false);
      EXPECT_EQ(server.request, BuildUpdateRequest("127.0.0.1"));
    }
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(boxes.Shown, c.boxes) << c.chunks.size();
  }
  SetShellOpenHandler(previousShell);
}

TEST(UpdateCheck, AWholeReplyCutAnywhereIsAnsweredOnceWhileHeldOpen) {
  // The same sized reply sent in pieces cut at random places, the connection held open: one
  // question each time, asked when the last piece arrives.
  const AnsiString good = SizedReply("11.08.2008", "http://www.halcorn.com/verdan/");
  std::mt19937 random(110);
  TShellOpenHandler previousShell = SetShellOpenHandler(RecordOpen);
  for (int run = 0; run < 10; ++run) {
    std::vector<size_t> cuts;
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) cuts.push_back(1 + random() % (good.size() - 1));
    std::sort(cuts.begin(), cuts.end());
    std::vector<AnsiString> chunks;
    size_t from = 0;
    for (size_t cut : cuts) {
      chunks.push_back(good.substr(from, cut - from));
      from = cut;
    }
    chunks.push_back(good.substr(from));
    TMessageBoxRecorder boxes(IDNO);
    TUpdateCheck check;
    check.Timeout = 6000;
    {
      TLoopServer server(chunks, -1);
      RunCheck(check, server.port, false);
    }
    EXPECT_EQ(boxes.Shown, std::vector<WideString>{newer}) << run;
  }
  SetShellOpenHandler(previousShell);
}

TEST(UpdateCheck, AFloodingReplyIsCutOffAtTheCap) {
  // 48 MB after a good start, with and without closing: the check fails, the socket stops
  // reading at the cap and lets the server go.
  for (int hold : {0, -1}) {
    TMessageBoxRecorder boxes(IDNO);
    TUpdateCheck check;
    check.Timeout = 20000;
    {
      TLoopServer server({"HTTP/1.1 200 OK\r\n\r\n"}, hold, 48u << 20);
      RunCheck(check, server.port, false);
    }
    EXPECT_FALSE(check.Running());
    EXPECT_EQ(boxes.Shown, std::vector<WideString>{failure}) << hold;
  }
}

TEST(UpdateCheck, HostileTranslationsOfTheOutcomesShowTheEnglishText) {
  // The question of a newer release is not lost to a translation that does not take the version.
  const AnsiString good = Reply("11.08.2008", "http://www.halcorn.com/verdan/");
  const AnsiString same = Reply("10.08.2008", "http://www.halcorn.com/");
  for (const wchar_t* hostile : {L"%d", L"%s %s", L"%", L"%1:s", L"%*d"}) {
    for (const AnsiString* reply : {&good, &same}) {
      TMessageBoxRecorder boxes(IDNO);
      TUpdateCheck check;
      check.NewVersionText = hostile;
      check.LatestText = hostile;
      {
        TLoopServer server({*reply});
        RunCheck(check, server.port, false);
      }
      EXPECT_EQ(boxes.Shown, std::vector<WideString>{reply == &good ? newer : latest}) << WideToUtf8(hostile);
    }
  }
}

}  // namespace
