// The check for a newer release: the request sent to the maker's web server, the reading of its
// reply (untrusted text: status, date and address are all checked), and the check itself over a
// non-blocking socket, whose outcome the user hears of through message boxes.
#pragma once

#include <memory>

#include "framework/ClientSocket.h"
#include "framework/DateTime.h"
#include "framework/Types.h"

class TTimer;

// The maker's web server, asked on port 80. The environment value VERDAN_UPDATE_SERVER
// ("host:port") points the check elsewhere, so that tests can answer it from 127.0.0.1; the
// addresses offered for download stay those of the maker's host.
extern const char* const UpdateServerHost;
constexpr int UpdateServerPort = 80;
// The day this release was made: 10 August 2008.
TDateTime ReleaseDate();

// The HTTP/1.0 POST of the check, lines ended by CR LF, the body "getverinfo=1" last.
AnsiString BuildUpdateRequest(const AnsiString& Host = UpdateServerHost);

// A date written "dd.mm.yyyy" (two, two and four digits; a real day); false for anything else.
bool ParseUpdateDate(const AnsiString& Text, TDateTime& Date);
// Whether the address may be offered: http or https, on exactly the host (any letter case),
// nothing but printable ASCII, no user part before the host.
bool IsMakerAddress(const AnsiString& Address, const AnsiString& Host);

// Whether the reply is whole before the server closes: its headers ended and its body as long as
// its "Content-Length" says (a reply without that header is whole only at the close).
bool IsUpdateReplyComplete(const AnsiString& Reply);

struct TUpdateReply {
  bool Valid = false;
  AnsiString Version;
  TDateTime Date = 0;
  AnsiString Address;
};
// Reads the whole reply: a status line "HTTP/1.x 200", more than three lines in all, the last
// three the version text, its date ("dd.mm.yyyy") and the address of the download page on Host.
TUpdateReply ParseUpdateReply(const AnsiString& Reply, const AnsiString& Host = UpdateServerHost);

// One check at a time: Start closes a running one. The reply is collected until it is whole (by
// its length) or the server closes the connection; the check gives up after Timeout milliseconds
// or when the reply grows past 64 KB.
class TUpdateCheck {
 public:
  TUpdateCheck();
  ~TUpdateCheck();

  // Silent: started by the program itself, which tells only of a newer release.
  void Start(bool Silent);
  bool Running() const { return running_; }
  bool Silent() const { return silent_; }

  AnsiString ServerHost;  // where the request goes (the maker's host unless overridden)
  int ServerPort = UpdateServerPort;
  AnsiString MakerHost;  // the host whose addresses may be offered
  unsigned Timeout = 20000;
  // The texts of the three outcomes: a Format with the version text, a Format with the
  // product's name, and the failure.
  WideString NewVersionText = L"A new version is available \x2014 %s. Would you like to open a download page?";
  WideString LatestText = L"You are using the latest version of %s.";
  WideString FailureText =
      L"Unable to check for updates. Probably, you are not connected to the Internet or the update center is "
      L"encountering problems.";

  // Called once a check ends, whatever the outcome.
  TNotifyEvent OnDone;

 private:
  void SocketWrite(TObject*, TClientSocket* Socket);
  void SocketRead(TObject*, TClientSocket* Socket);
  void SocketError(TObject*, TClientSocket* Socket, int& ErrorCode);
  void SocketDisconnect(TObject*, TClientSocket* Socket);
  void TimerTick(TObject*);
  void Finish();
  void Fail();
  void Evaluate();

  std::unique_ptr<TClientSocket> socket_;
  std::unique_ptr<TTimer> timer_;
  AnsiString reply_;
  bool running_ = false;
  bool silent_ = false;
};
