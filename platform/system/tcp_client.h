// A TCP connection that never blocks the caller: connecting, sending and receiving each do
// only what the socket allows at once, so a frame loop can use it without stalling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexil {
namespace sys {

class TcpClient {
 public:
  enum class State { kClosed, kConnecting, kConnected };

  // Bytes that Send keeps while the peer does not read; beyond it the connection fails.
  static constexpr size_t kMaxPending = 1 << 20;

  TcpClient() = default;
  ~TcpClient();
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  // Starts connecting to a numeric IPv4 or IPv6 address ("localhost" means 127.0.0.1); no
  // name is looked up, since a lookup may block. False, with the reason, when it cannot start.
  bool Connect(const std::string& host, uint16_t port, std::string* error);
  // Advances a connection in progress; the state after it. A refused connection is closed,
  // with the reason in `error`.
  State Poll(std::string* error);
  State GetState() const { return m_state; }

  // Appends what has arrived, at most `limit` bytes. False when the peer closed the
  // connection or it failed (then it is closed, with the reason).
  bool Receive(std::string* out, size_t limit, std::string* error);
  // Sends what the socket takes now and keeps the rest for the next Send or Flush. False when
  // the connection failed or more than kMaxPending bytes wait.
  bool Send(const std::string& bytes, std::string* error);
  bool Flush(std::string* error);

  void Close();

 private:
  int m_socket = -1;
  State m_state = State::kClosed;
  std::string m_pending;
};

}  // namespace sys
}  // namespace vexil
