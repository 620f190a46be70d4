#include "local_http_server.h"

#include <ws2tcpip.h>

namespace {

// A socket bound to a free port of 127.0.0.1; its port through `port`.
SOCKET BindLoopback(int* port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (socket == INVALID_SOCKET || bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (socket != INVALID_SOCKET) closesocket(socket);
    return INVALID_SOCKET;
  }
  *port = ntohs(address.sin_port);
  return socket;
}

std::wstring LoopbackAddress(int port) { return L"http://127.0.0.1:" + std::to_wstring(port); }

bool Readable(SOCKET socket, long milliseconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait = {0, milliseconds * 1000};
  return select(0, &set, nullptr, nullptr, &wait) == 1;
}

}  // namespace

LocalHttpServer::LocalHttpServer(std::string body) : LocalHttpServer(HttpReply{"200 OK", std::move(body)}) {}

LocalHttpServer::LocalHttpServer(HttpReply reply) : reply_(std::move(reply)) {
  listener_ = BindLoopback(&port_);
  if (listener_ == INVALID_SOCKET) return;
  if (listen(listener_, 4) != 0) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
    return;
  }
  thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  WSACleanup();
}

std::wstring LocalHttpServer::Address() const { return listener_ == INVALID_SOCKET ? L"" : LoopbackAddress(port_); }

void LocalHttpServer::Serve() {
  while (!stop_) {
    if (!Readable(listener_, 50)) continue;
    SOCKET connection = accept(listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) continue;
    Answer(connection);
    closesocket(connection);
  }
}

void LocalHttpServer::Answer(SOCKET connection) {
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && Readable(connection, 2000)) {
    const int received = recv(connection, buffer, sizeof buffer, 0);
    if (received <= 0) break;
    request.append(buffer, static_cast<size_t>(received));
  }
  ++requests_;
  const std::string header = Header();
  if (send(connection, header.data(), static_cast<int>(header.size()), 0) > 0 && SendBody(connection)) {
    shutdown(connection, SD_SEND);
  }
}

std::string LocalHttpServer::Header() const {
  std::string header = "HTTP/1.0 " + reply_.status + "\r\nContent-Type: text/plain\r\n";
  const long long length =
      reply_.announced == -1 ? static_cast<long long>(reply_.body.size()) * reply_.repeats : reply_.announced;
  if (reply_.repeats > 0 && length >= 0) header += "Content-Length: " + std::to_string(length) + "\r\n";
  return header + "Connection: close\r\n\r\n";
}

// False when the client left before the body was sent. An endless body ends at kEndlessBodyBytes, so that a client
// that never stops fails its test instead of hanging it.
bool LocalHttpServer::SendBody(SOCKET connection) {
  constexpr long long kEndlessBodyBytes = 1ll << 30;
  for (int sent = 0; reply_.repeats == 0 || sent < reply_.repeats; ++sent) {
    if (stop_ || sent_ > kEndlessBodyBytes) return false;
    if (send(connection, reply_.body.data(), static_cast<int>(reply_.body.size()), 0) <= 0) return false;
    sent_ += static_cast<long long>(reply_.body.size());
    if (reply_.repeats == 0 && !reply_.fast) Sleep(1);
  }
  return true;
}

std::wstring UnreachableAddress() {
  int port = 0;
  SOCKET socket = BindLoopback(&port);
  if (socket == INVALID_SOCKET) return L"";
  closesocket(socket);
  WSACleanup();
  return LoopbackAddress(port);
}
