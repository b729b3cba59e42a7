// The client socket against a server on 127.0.0.1 that floods it: reading stops at the receive
// limit and the connection is dropped with an error, whatever the server sends.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <string>
#include <functional>
#include <thread>
#include <vector>

#include "framework/ClientSocket.h"
#include "tests/common/LoopbackListener.h"

namespace {

// Sends Total bytes to the one client as fast as it takes them, then closes; stops when the
// client goes. Sent tells how much it could hand over.
struct TFloodServer {
  explicit TFloodServer(size_t Total) : total(Total) {
    listener = ListenOnLoopback(port);
    worker = std::thread([this] {
      const SOCKET client = accept(listener, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      const std::string block(65536, 'f');
      for (size_t left = total; left > 0;) {
        const int n = send(client, block.data(), static_cast<int>(std::min(left, block.size())), 0);
        if (n <= 0) break;
        left -= static_cast<size_t>(n);
      }
      closesocket(client);
    });
  }
  ~TFloodServer() {
    closesocket(listener);
    worker.join();
  }
  size_t total;
  SOCKET listener;
  int port = 0;
  std::thread worker;
};

struct TSocketRecorder {
  void Read(TObject*, TClientSocket* Socket) { total += Socket->ReceiveText().size(); }
  void Failed(TObject*, TClientSocket*, int& Code) {
    errors.push_back(Code);
    Code = 0;
  }
  void Closed(TObject*, TClientSocket*) { ++disconnects; }
  size_t total = 0;
  std::vector<int> errors;
  int disconnects = 0;
};

void RunUntil(const std::function<bool()>& Done) {
  for (const DWORD until = GetTickCount() + 20000; !Done() && GetTickCount() < until;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

}  // namespace

TEST(ClientSocket, AFloodIsCutOffAtTheReceiveLimit) {
  // Limits below, at and above what the server sends: no more than the limit ever reaches the
  // reader; past it the connection ends in WSAEMSGSIZE, within it in the usual disconnect.
  struct {
    size_t Sent, Limit;
    bool Cut;
  } const cases[] = {
      {48u << 20, 65536, true}, {48u << 20, 1, true}, {100000, 100000, false},
      {100001, 100000, true},   {5000, 0, false},     {3u << 20, 0, false},
  };
  for (const auto& c : cases) {
    TSocketRecorder recorder;
    TClientSocket socket(nullptr);
    socket.SetReceiveLimit(c.Limit);
    socket.OnRead = TSocketNotifyEvent(&recorder, &TSocketRecorder::Read);
    socket.OnError = TSocketErrorEvent(&recorder, &TSocketRecorder::Failed);
    socket.OnDisconnect = TSocketNotifyEvent(&recorder, &TSocketRecorder::Closed);
    TFloodServer server(c.Sent);
    socket.SetHost("127.0.0.1");
    socket.SetPort(server.port);
    socket.Open();
    RunUntil([&] { return !socket.Active(); });
    EXPECT_FALSE(socket.Active()) << c.Sent << " " << c.Limit;
    if (c.Limit > 0) {
      EXPECT_LE(recorder.total, c.Limit) << c.Sent << " " << c.Limit;
    }
    if (c.Cut) {
      EXPECT_EQ(recorder.errors, std::vector<int>{WSAEMSGSIZE}) << c.Sent << " " << c.Limit;
      EXPECT_EQ(recorder.disconnects, 0);
    } else {
      EXPECT_EQ(recorder.total, c.Sent);
      EXPECT_TRUE(recorder.errors.empty());
      EXPECT_EQ(recorder.disconnects, 1);
    }
  }
}
