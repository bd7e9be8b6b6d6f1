// A sync-tracker editor for tests: listens on 127.0.0.1 on an ephemeral port, accepts one demo,
// answers its greeting and records what it sends. Every wait is bounded.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class EditorDouble {
 public:
  EditorDouble() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(listener_, 4) == 0) {
      socklen_t size = sizeof address;
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
      port_ = ntohs(address.sin_port);
    }
  }
  ~EditorDouble() {
    CloseClient();
    if (listener_ >= 0) ::close(listener_);
  }
  EditorDouble(const EditorDouble&) = delete;
  EditorDouble& operator=(const EditorDouble&) = delete;

  uint16_t Port() const { return port_; }
  bool HasClient() const { return client_ >= 0; }

  // Waits up to `ms` for a demo to connect.
  bool Accept(int ms) {
    pollfd entry{listener_, POLLIN, 0};
    if (::poll(&entry, 1, ms) != 1) return false;
    client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return client_ >= 0;
  }
  void CloseClient() {
    if (client_ >= 0) ::close(client_);
    client_ = -1;
    received_.clear();
  }

  // Reads until `count` bytes are buffered or `ms` pass; true when they are.
  bool WaitFor(size_t count, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (received_.size() < count && client_ >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      // Looks at least once, however little time is left.
      pollfd entry{client_, POLLIN, 0};
      if (::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0) == 1) {
        char buffer[4096];
        const ssize_t got = ::recv(client_, buffer, sizeof buffer, 0);
        if (got <= 0) return false;
        received_.append(buffer, static_cast<size_t>(got));
      } else if (left <= 0) {
        return false;
      }
    }
    return received_.size() >= count;
  }
  // True when the demo closed the connection within `ms`.
  bool WaitForClose(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
      pollfd entry{client_, POLLIN, 0};
      if (::poll(&entry, 1, ms > 20 ? 20 : ms) != 1) continue;
      char buffer[4096];
      const ssize_t got = ::recv(client_, buffer, sizeof buffer, 0);
      if (got <= 0) return true;
      received_.append(buffer, static_cast<size_t>(got));
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }
  // Takes the first `count` buffered bytes.
  std::string Take(size_t count) {
    const std::string taken = received_.substr(0, count);
    received_.erase(0, count);
    return taken;
  }
  std::string& Buffered() { return received_; }

  bool Send(const std::string& bytes) {
    return client_ >= 0 && ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                               static_cast<ssize_t>(bytes.size());
  }

  // Answers the demo's greeting; true when it was the right one.
  bool Greet(int ms) {
    if (!WaitFor(19, ms) || Take(19) != "hello, synctracker!") return false;
    return Send("hello, demo!");
  }
  // Reads one GET_TRACK; the name, or "" when none came in time.
  std::string ReadGetTrack(int ms) {
    if (!WaitFor(5, ms) || received_[0] != 2) return "";
    const auto* p = reinterpret_cast<const unsigned char*>(received_.data());
    const uint32_t length =
        uint32_t{p[1]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 8 | p[4];
    if (length > 4096 || !WaitFor(5 + length, ms)) return "";
    return Take(5 + length).substr(5);
  }

  static std::string Big32(uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
  }
  static std::string SetKey(uint32_t track, uint32_t row, float value, uint8_t type) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return std::string(1, '\0') + Big32(track) + Big32(row) + Big32(bits) +
           std::string(1, static_cast<char>(type));
  }
  static std::string DeleteKey(uint32_t track, uint32_t row) {
    return std::string(1, '\1') + Big32(track) + Big32(row);
  }
  static std::string SetRow(uint32_t row) { return std::string(1, '\3') + Big32(row); }
  static std::string Pause(bool pause) { return std::string{'\4', pause ? '\1' : '\0'}; }
  static std::string SaveTracks() { return std::string(1, '\5'); }

 private:
  int listener_ = -1;
  int client_ = -1;
  uint16_t port_ = 0;
  std::string received_;
};
