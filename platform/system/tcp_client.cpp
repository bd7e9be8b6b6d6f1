// Non-blocking TCP over POSIX sockets.
#include "system/tcp_client.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace vexil {
namespace sys {

namespace {

std::string Reason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

TcpClient::~TcpClient() {
  Close();
}

void TcpClient::Close() {
  if (m_socket >= 0) ::close(m_socket);
  m_socket = -1;
  m_state = State::kClosed;
  m_pending.clear();
}

bool TcpClient::Connect(const std::string& host, uint16_t port, std::string* error) {
  Close();
  sockaddr_storage address{};
  socklen_t length = 0;
  const std::string numeric = host == "localhost" ? "127.0.0.1" : host;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
  if (inet_pton(AF_INET, numeric.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    length = sizeof *v4;
  } else if (inet_pton(AF_INET6, numeric.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    length = sizeof *v6;
  } else {
    *error = "\"" + host + "\" is no numeric IPv4 or IPv6 address";
    return false;
  }
  m_socket = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (m_socket < 0) {
    *error = Reason("cannot make a socket", errno);
    return false;
  }
  // Commands are small and should leave at once.
  const int one = 1;
  setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(m_socket, reinterpret_cast<sockaddr*>(&address), length) == 0) {
    m_state = State::kConnected;
    return true;
  }
  if (errno != EINPROGRESS) {
    *error = Reason("cannot connect", errno);
    Close();
    return false;
  }
  m_state = State::kConnecting;
  return true;
}

TcpClient::State TcpClient::Poll(std::string* error) {
  if (m_state != State::kConnecting) return m_state;
  pollfd entry{m_socket, POLLOUT, 0};
  const int ready = ::poll(&entry, 1, 0);
  if (ready == 0) return m_state;
  int problem = 0;
  socklen_t size = sizeof problem;
  if (ready < 0 || getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &problem, &size) != 0) {
    problem = errno;
  }
  if (problem != 0) {
    *error = Reason("cannot connect", problem);
    Close();
    return m_state;
  }
  m_state = State::kConnected;
  return m_state;
}

bool TcpClient::Receive(std::string* out, size_t limit, std::string* error) {
  if (m_state != State::kConnected) {
    *error = "not connected";
    return false;
  }
  char buffer[4096];
  while (limit > 0) {
    const size_t want = limit < sizeof buffer ? limit : sizeof buffer;
    const ssize_t got = ::recv(m_socket, buffer, want, 0);
    if (got > 0) {
      out->append(buffer, static_cast<size_t>(got));
      limit -= static_cast<size_t>(got);
      continue;
    }
    if (got == 0) {
      *error = "the peer closed the connection";
      Close();
      return false;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    *error = Reason("cannot receive", errno);
    Close();
    return false;
  }
  return true;
}

bool TcpClient::Send(const std::string& bytes, std::string* error) {
  if (m_state != State::kConnected) {
    *error = "not connected";
    return false;
  }
  if (m_pending.size() + bytes.size() > kMaxPending) {
    *error = "the peer does not read what is sent";
    Close();
    return false;
  }
  m_pending += bytes;
  return Flush(error);
}

bool TcpClient::Flush(std::string* error) {
  if (m_state != State::kConnected) return m_pending.empty();
  size_t sent = 0;
  while (sent < m_pending.size()) {
    const ssize_t done =
        ::send(m_socket, m_pending.data() + sent, m_pending.size() - sent, MSG_NOSIGNAL);
    if (done > 0) {
      sent += static_cast<size_t>(done);
      continue;
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    *error = Reason("cannot send", errno);
    Close();
    return false;
  }
  m_pending.erase(0, sent);
  return true;
}

}  // namespace sys
}  // namespace vexil
