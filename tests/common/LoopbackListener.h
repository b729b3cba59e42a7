// A listening socket on 127.0.0.1 at a port the system picks, for the tests' own servers.
#pragma once

#include <winsock2.h>

#include "framework/ClientSocket.h"

// The listener (backlog 1); Port receives the port it listens on.
inline SOCKET ListenOnLoopback(int& Port) {
  StartSockets();
  const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  int size = sizeof address;
  bind(listener, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  Port = ntohs(address.sin_port);
  listen(listener, 1);
  return listener;
}
