// A small HTTP server on 127.0.0.1 for the tests of downloads: it answers every request with one text.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

class LocalHttpServer {
 public:
  explicit LocalHttpServer(std::string body);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // "http://127.0.0.1:<port>" (a port of its own, so no cache mixes two servers up); empty when it could not
  // listen.
  std::wstring Address() const;
  int Requests() const { return requests_; }

 private:
  void Serve();
  void Answer(SOCKET connection);

  std::string body_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

// An address on 127.0.0.1 where nothing listens.
std::wstring UnreachableAddress();
