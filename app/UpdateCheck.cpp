// The update check: pure request and reply functions, and the check over the client socket.
#include "app/UpdateCheck.h"
#include "framework/StrRoutines.h"

#include <cstdlib>
#include <vector>

#include "app/ProductIdentity.h"
#include "app/TextRoutines.h"
#include "app/WindowRoutines.h"
#include "framework/CodePages.h"
#include "framework/Format.h"
#include "framework/Timer.h"

const char* const UpdateServerHost = MakerHost;

namespace {

// Longer replies are no answer of the maker's server.
constexpr size_t maxReplySize = 65536;

AnsiString Trimmed(const AnsiString& S) {
  size_t first = 0, last = S.size();
  while (first < last && static_cast<unsigned char>(S[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(S[last - 1]) <= 32) --last;
  return S.substr(first, last - first);
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

bool IsStatusOk(const AnsiString& Line) {
  // "HTTP/1.0 200 OK", "HTTP/1.1 200"
  return Line.size() >= 12 && Line.compare(0, 7, "HTTP/1.") == 0 && IsDigit(Line[7]) &&
         Line.compare(8, 4, " 200") == 0 && (Line.size() == 12 || Line[12] == ' ');
}

char Lower(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; }

bool StartsWithNoCase(const AnsiString& S, const char* Prefix) {
  size_t i = 0;
  for (; Prefix[i]; ++i)
    if (i >= S.size() || Lower(S[i]) != Prefix[i]) return false;
  return true;
}

// Where the configured server is; false when the environment names none or names it badly.
bool ServerOverride(AnsiString& Host, int& Port) {
  const char* value = std::getenv("VERDAN_UPDATE_SERVER");
  if (!value || !*value) return false;
  const AnsiString text = value;
  const size_t colon = text.rfind(':');
  if (colon == AnsiString::npos || colon == 0 || colon + 1 == text.size()) return false;
  int port = 0;
  for (size_t i = colon + 1; i < text.size(); ++i) {
    if (!IsDigit(text[i]) || port > 6553) return false;
    port = port * 10 + (text[i] - '0');
  }
  if (port < 1 || port > 65535) return false;
  Host = text.substr(0, colon);
  Port = port;
  return true;
}

}  // namespace

TDateTime ReleaseDate() { return EncodeDate(2008, 8, 10); }

AnsiString BuildUpdateRequest(const AnsiString& Host) {
  const AnsiString body = "getverinfo=1";
  return "POST /verdan/downloads/upgetver.php HTTP/1.0\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n"
         "Accept: text/html, */*\r\n"
         "User-Agent: " VERDAN_PRODUCT_NAME " " VERDAN_PRODUCT_VERSION
         "\r\n"
         "Host: " +
         Host +
         "\r\n"
         "Connection: close\r\n"
         "Content-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

bool ParseUpdateDate(const AnsiString& Text, TDateTime& Date) {
  if (Text.size() != 10 || Text[2] != '.' || Text[5] != '.') return false;
  for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
    if (!IsDigit(Text[i])) return false;
  const int day = (Text[0] - '0') * 10 + (Text[1] - '0');
  const int month = (Text[3] - '0') * 10 + (Text[4] - '0');
  const int year = std::atoi(Text.c_str() + 6);
  return TryEncodeDate(year, month, day, Date);
}

bool IsMakerAddress(const AnsiString& Address, const AnsiString& Host) {
  if (Host.empty() || Address.size() > 2048) return false;
  for (char c : Address)
    if (static_cast<unsigned char>(c) <= 32 || static_cast<unsigned char>(c) >= 127 || c == '"' || c == '\\')
      return false;
  size_t at;
  if (StartsWithNoCase(Address, "http://"))
    at = 7;
  else if (StartsWithNoCase(Address, "https://"))
    at = 8;
  else
    return false;
  const size_t end = Address.find_first_of("/?#", at);
  const AnsiString authority = Address.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
  // "http://maker@elsewhere/" leads elsewhere; a port is no part of the host either.
  if (authority.find('@') != AnsiString::npos) return false;
  const size_t colon = authority.find(':');
  const AnsiString host = authority.substr(0, colon);
  if (colon != AnsiString::npos) {
    const AnsiString port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    for (char c : port)
      if (!IsDigit(c)) return false;
  }
  if (host.size() != Host.size()) return false;
  for (size_t i = 0; i < host.size(); ++i)
    if (Lower(host[i]) != Lower(Host[i])) return false;
  return true;
}

bool IsUpdateReplyComplete(const AnsiString& Reply) {
  size_t bodyAt = Reply.find("\r\n\r\n");
  if (bodyAt != AnsiString::npos) bodyAt += 4;
  const size_t bare = Reply.find("\n\n");
  if (bare != AnsiString::npos && (bodyAt == AnsiString::npos || bare + 2 < bodyAt)) bodyAt = bare + 2;
  if (bodyAt == AnsiString::npos) return false;
  // The length header among the headers, any letter case; a reply without one ends at the close.
  for (size_t at = 0; at < bodyAt;) {
    size_t end = Reply.find('\n', at);
    if (end == AnsiString::npos || end > bodyAt) end = bodyAt;
    const AnsiString line = Trimmed(Reply.substr(at, end - at));
    at = end + 1;
    if (!StartsWithNoCase(line, "content-length:")) continue;
    const AnsiString value = Trimmed(line.substr(15));
    if (value.empty() || value.size() > 9) return false;
    size_t length = 0;
    for (char c : value) {
      if (!IsDigit(c)) return false;
      length = length * 10 + static_cast<size_t>(c - '0');
    }
    return Reply.size() - bodyAt >= length;
  }
  return false;
}

TUpdateReply ParseUpdateReply(const AnsiString& Reply, const AnsiString& Host) {
  TUpdateReply result;
  const std::vector<AnsiString> lines = SplitLines(Reply);
  if (lines.size() <= 3 || !IsStatusOk(lines[0])) return result;
  const size_t n = lines.size();
  result.Version = Trimmed(lines[n - 3]);
  result.Address = Trimmed(lines[n - 1]);
  if (!ParseUpdateDate(Trimmed(lines[n - 2]), result.Date)) return result;
  result.Valid = IsURL(result.Address) && IsMakerAddress(result.Address, Host);
  return result;
}

// ---- the check ----

TUpdateCheck::TUpdateCheck() : ServerHost(UpdateServerHost), MakerHost(UpdateServerHost) {
  ServerOverride(ServerHost, ServerPort);
  socket_ = std::make_unique<TClientSocket>(nullptr);
  socket_->SetReceiveLimit(maxReplySize);
  socket_->OnWrite = TSocketNotifyEvent(this, &TUpdateCheck::SocketWrite);
  socket_->OnRead = TSocketNotifyEvent(this, &TUpdateCheck::SocketRead);
  socket_->OnError = TSocketErrorEvent(this, &TUpdateCheck::SocketError);
  socket_->OnDisconnect = TSocketNotifyEvent(this, &TUpdateCheck::SocketDisconnect);
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetEnabled(false);
  timer_->OnTimer = TNotifyEvent(this, &TUpdateCheck::TimerTick);
}

TUpdateCheck::~TUpdateCheck() = default;

void TUpdateCheck::Start(bool Silent) {
  socket_->Close();
  timer_->SetEnabled(false);
  reply_.clear();
  silent_ = Silent;
  running_ = true;
  socket_->SetHost(ServerHost);
  socket_->SetPort(ServerPort);
  timer_->SetInterval(Timeout);
  timer_->SetEnabled(true);
  socket_->Open();
}

void TUpdateCheck::SocketWrite(TObject*, TClientSocket* Socket) { Socket->SendText(BuildUpdateRequest(ServerHost)); }

void TUpdateCheck::SocketRead(TObject*, TClientSocket* Socket) {
  const AnsiString part = Socket->ReceiveText();
  if (reply_.size() + part.size() > maxReplySize) {
    Fail();
    return;
  }
  reply_ += part;
  // A server that keeps the connection open after a whole answer is not waited for.
  if (IsUpdateReplyComplete(reply_)) Evaluate();
}

void TUpdateCheck::SocketError(TObject*, TClientSocket*, int& ErrorCode) {
  ErrorCode = 0;
  if (running_) Fail();
}

void TUpdateCheck::SocketDisconnect(TObject*, TClientSocket*) {
  if (!running_) return;
  Evaluate();
}

void TUpdateCheck::TimerTick(TObject*) {
  if (running_) Fail();
}

void TUpdateCheck::Evaluate() {
  const TUpdateReply reply = ParseUpdateReply(reply_, MakerHost);
  // The outcome may be a modal box; the check is over before it shows.
  const bool silent = silent_;
  socket_->Close();
  Finish();
  if (!reply.Valid) {
    if (!silent) ShowMessageBox(FailureText, MB_ICONERROR);
  } else if (reply.Date > ReleaseDate()) {
    const WideString address = AnsiToWide(reply.Address);
    const WideString question =
        FormatTranslated(NewVersionText, "sANewVersion", {AnsiToWide(reply.Version)}) + L"\r\n\r\n" + address;
    if (ShowMessageBox(question, MB_YESNO | MB_ICONINFORMATION) == IDYES)
      ShellOpen(address, WideString(), WideString());
  } else if (!silent) {
    ShowMessageBox(FormatTranslated(LatestText, "sYouAreUsing", {WideString(ProductName)}), MB_ICONINFORMATION);
  }
}

void TUpdateCheck::Fail() {
  // The check is over before the box shows, so no tick or notice reports it twice.
  const bool silent = silent_;
  socket_->Close();
  Finish();
  if (!silent) ShowMessageBox(FailureText, MB_ICONERROR);
}

void TUpdateCheck::Finish() {
  timer_->SetEnabled(false);
  running_ = false;
  silent_ = false;
  if (OnDone) OnDone(nullptr);
}
