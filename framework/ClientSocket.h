// A non-blocking TCP client whose events arrive as window messages on the thread that made it:
// connect, send a text, collect what arrives, and hear of errors and of the peer's close.
#pragma once

#include <memory>
#include <vector>

#include "framework/Component.h"
#include "framework/Delegate.h"
#include "framework/SystemHandles.h"
#include "framework/Win.h"

class TUtilityWindow;
class TClientSocket;

using TSocketNotifyEvent = TEvent<void(TObject* Sender, TClientSocket* Socket)>;
// ErrorCode is the system's error; a handler that sets it to 0 keeps the socket from raising.
using TSocketErrorEvent = TEvent<void(TObject* Sender, TClientSocket* Socket, int& ErrorCode)>;

// Errors of the socket that no handler took: the message names the system's error code.
class ESocketError : public Exception {
 public:
  using Exception::Exception;
};

class TClientSocket : public TComponent {
  HV_CLASS(TClientSocket, TComponent)
 public:
  explicit TClientSocket(TComponent* AOwner);
  ~TClientSocket() override;

  const AnsiString& Host() const { return host_; }
  void SetHost(const AnsiString& Value) { host_ = Value; }
  int Port() const { return port_; }
  void SetPort(int Value) { port_ = Value; }
  // The most bytes one connection may bring (0: no limit). A peer that sends more is cut off at
  // the limit: reading stops, the connection closes and OnError hears WSAEMSGSIZE, so that a
  // flood never holds the thread or its memory.
  size_t ReceiveLimit() const { return receiveLimit_; }
  void SetReceiveLimit(size_t Value) { receiveLimit_ = Value; }
  bool Active() const { return static_cast<bool>(socket_) || lookup_ != nullptr; }

  // Looks the host up (without blocking) and connects; the outcome comes as OnWrite or OnError.
  // A failure to start goes to OnError at once.
  void Open();
  // Closes the connection without events; nothing when closed.
  void Close();
  // Queues the text and sends as much as the connection takes now; the rest goes as it can.
  void SendText(const AnsiString& Text);
  // Takes the bytes that arrived since the last call.
  AnsiString ReceiveText();

  // The connection stands and may be written to.
  TSocketNotifyEvent OnWrite;
  TSocketNotifyEvent OnRead;
  TSocketErrorEvent OnError;
  // The peer closed the connection (the socket is closed then, its last bytes read).
  TSocketNotifyEvent OnDisconnect;

 private:
  bool HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
  void Error(int Code);
  // Drops the connection of a peer that went past the receive limit; true (the notice handled).
  bool Overflowed();
  void Resolved(int ErrorCode);
  void Connect(unsigned long Address);
  // Reads what arrived; false when the peer went past the receive limit.
  bool ReadAvailable();
  void Flush();

  std::unique_ptr<TUtilityWindow> window_;
  AnsiString host_;
  int port_ = 0;
  TSocketHandle socket_;
  HANDLE lookup_ = nullptr;
  std::vector<char> hostBuffer_;
  AnsiString pendingOut_;
  AnsiString received_;
  size_t receiveLimit_ = 0;
  size_t receivedTotal_ = 0;
  bool connected_ = false;
};

// Starts Winsock once per process (the first socket does it).
void StartSockets();
