// The client socket over WSAAsyncSelect: the system posts connect, read, write and close
// notices to a hidden window, so every event runs on the thread's message loop.
#include <winsock2.h>

#include <algorithm>

#include "framework/ClientSocket.h"

#include "framework/UtilityWindow.h"

namespace {

constexpr UINT socketMessage = WM_USER + 1;
constexpr UINT resolvedMessage = WM_USER + 2;

}  // namespace

void StartSockets() {
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }();
  if (!started) throw ESocketError("Windows Sockets could not start");
}

HV_PUBLISH(TClientSocket) {
  p.Prop("Host", &T::Host, &T::SetHost);
  p.Prop("Port", &T::Port, &T::SetPort).Default(0);
}

TClientSocket::TClientSocket(TComponent* AOwner) : TComponent(AOwner) {
  window_ = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return HandleMessage(msg, wParam, lParam, result);
  });
}

TClientSocket::~TClientSocket() { Close(); }

void TClientSocket::Open() {
  Close();
  StartSockets();
  const unsigned long address = inet_addr(host_.c_str());
  if (address != INADDR_NONE) {
    Connect(address);
    return;
  }
  // A name is looked up without blocking: the answer comes as a message.
  hostBuffer_.assign(MAXGETHOSTSTRUCT, '\0');
  lookup_ = host_.empty() ? nullptr
                          : WSAAsyncGetHostByName(window_->Handle(), resolvedMessage, host_.c_str(), hostBuffer_.data(),
                                                  static_cast<int>(hostBuffer_.size()));
  if (!lookup_) Error(host_.empty() ? WSAHOST_NOT_FOUND : WSAGetLastError());
}

void TClientSocket::Resolved(int ErrorCode) {
  lookup_ = nullptr;
  const auto* entry = reinterpret_cast<const hostent*>(hostBuffer_.data());
  if (ErrorCode != 0 || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) {
    Error(ErrorCode ? ErrorCode : WSAHOST_NOT_FOUND);
    return;
  }
  unsigned long address;
  memcpy(&address, entry->h_addr_list[0], sizeof address);
  Connect(address);
}

void TClientSocket::Connect(unsigned long Address) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port_));
  address.sin_addr.s_addr = Address;
  TSocketHandle s(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (!s) {
    Error(WSAGetLastError());
    return;
  }
  socket_ = std::move(s);
  connected_ = false;
  pendingOut_.clear();
  received_.clear();
  receivedTotal_ = 0;
  if (WSAAsyncSelect(socket_.Get(), window_->Handle(), socketMessage, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) !=
          0 ||
      (connect(socket_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
       WSAGetLastError() != WSAEWOULDBLOCK)) {
    const int code = WSAGetLastError();
    Close();
    Error(code);
  }
}

void TClientSocket::Close() {
  if (lookup_) {
    WSACancelAsyncRequest(lookup_);
    lookup_ = nullptr;
    MSG msg;
    while (PeekMessageW(&msg, window_->Handle(), resolvedMessage, resolvedMessage, PM_REMOVE)) {}
  }
  if (!socket_) return;
  connected_ = false;
  WSAAsyncSelect(socket_.Get(), window_->Handle(), 0, 0);
  socket_.Reset();
  // Notices the system queued before the close must not reach a later connection.
  MSG msg;
  while (PeekMessageW(&msg, window_->Handle(), socketMessage, socketMessage, PM_REMOVE)) {}
}

void TClientSocket::SendText(const AnsiString& Text) {
  pendingOut_ += Text;
  if (connected_) Flush();
}

AnsiString TClientSocket::ReceiveText() {
  AnsiString text;
  text.swap(received_);
  return text;
}

void TClientSocket::Flush() {
  while (!pendingOut_.empty() && Active()) {
    const int sent = send(socket_.Get(), pendingOut_.data(), static_cast<int>(pendingOut_.size()), 0);
    if (sent == SOCKET_ERROR) {
      const int code = WSAGetLastError();
      if (code != WSAEWOULDBLOCK) Error(code);
      return;
    }
    pendingOut_.erase(0, static_cast<size_t>(sent));
  }
}

bool TClientSocket::ReadAvailable() {
  char buffer[4096];
  for (;;) {
    size_t want = sizeof buffer;
    // One byte past the limit is enough to know the peer went past it.
    if (receiveLimit_ > 0)
      want = std::min(want, receivedTotal_ < receiveLimit_ ? receiveLimit_ - receivedTotal_ + 1 : size_t{1});
    const int got = recv(socket_.Get(), buffer, static_cast<int>(want), 0);
    if (got <= 0) return true;
    receivedTotal_ += static_cast<size_t>(got);
    if (receiveLimit_ > 0 && receivedTotal_ > receiveLimit_) return false;
    received_.append(buffer, static_cast<size_t>(got));
  }
}

bool TClientSocket::Overflowed() {
  received_.clear();
  Close();
  Error(WSAEMSGSIZE);
  return true;
}

void TClientSocket::Error(int Code) {
  int code = Code;
  if (OnError) OnError(this, this, code);
  if (code != 0) throw ESocketError("Windows socket error " + std::to_string(code));
}

bool TClientSocket::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
  if (Msg == resolvedMessage) {
    Result = 0;
    if (lookup_ && reinterpret_cast<HANDLE>(WParam) == lookup_) Resolved(WSAGETASYNCERROR(LParam));
    return true;
  }
  if (Msg != socketMessage) return false;
  Result = 0;
  if (!Active() || WParam != socket_.Get()) return true;
  const int event = WSAGETSELECTEVENT(LParam);
  const int error = WSAGETSELECTERROR(LParam);
  if (error != 0 && event != FD_CLOSE) {
    Close();
    Error(error);
    return true;
  }
  switch (event) {
    case FD_CONNECT: break;  // the write notice that follows tells the connection is ready
    case FD_WRITE:
      if (!connected_) {
        connected_ = true;
        if (OnWrite) OnWrite(this, this);
      }
      Flush();
      break;
    case FD_READ:
      if (!ReadAvailable()) return Overflowed();
      if (!received_.empty() && OnRead) OnRead(this, this);
      break;
    case FD_CLOSE:
      if (!ReadAvailable()) return Overflowed();
      if (!received_.empty() && OnRead) OnRead(this, this);
      Close();
      if (error != 0 && error != WSAECONNRESET && error != WSAECONNABORTED) {
        Error(error);
      } else if (OnDisconnect) {
        OnDisconnect(this, this);
      }
      break;
    default: break;
  }
  return true;
}
