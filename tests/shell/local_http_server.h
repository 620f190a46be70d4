// A small HTTP server on 127.0.0.1 for the tests of downloads: it answers every request with one reply.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

// A reply: its status, its body sent `repeats` times (0: until the client leaves, at about a network's pace unless
// `fast`) and the length its header announces (-1: the length of what is sent; -2: none).
struct HttpReply {
  std::string status = "200 OK";
  std::string body;
  int repeats = 1;
  long long announced = -1;
  bool fast = false;
};

class LocalHttpServer {
 public:
  explicit LocalHttpServer(std::string body);
  explicit LocalHttpServer(HttpReply reply);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // "http://127.0.0.1:<port>" (a port of its own, so no cache mixes two servers up); empty when it could not
  // listen.
  std::wstring Address() const;
  int Requests() const { return requests_; }
  long long BytesSent() const { return sent_; }

 private:
  void Serve();
  void Answer(SOCKET connection);
  std::string Header() const;
  bool SendBody(SOCKET connection);

  HttpReply reply_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::atomic<long long> sent_{0};
  std::thread thread_;
};

// An address on 127.0.0.1 where nothing listens.
std::wstring UnreachableAddress();
