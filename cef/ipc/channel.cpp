#include "channel.h"

#include <cerrno>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

namespace cef_ipc {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    // MSG_NOSIGNAL: a vanished peer is an error result, not a SIGPIPE that ends the process.
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, char* data, size_t size) {
  while (size > 0) {
    ssize_t n = read(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

Channel::Channel(int fd) : fd_(fd) {}

Channel::~Channel() {
  if (fd_ >= 0) close(fd_);
}

bool Channel::Send(const std::string& frame) {
  if (frame.size() > kMaxFrameSize) return false;
  std::lock_guard<std::mutex> lock(send_mutex_);
  if (fd_ < 0) return false;
  unsigned char header[4];
  uint32_t size = static_cast<uint32_t>(frame.size());
  for (int i = 0; i < 4; ++i) header[i] = static_cast<unsigned char>(size >> (8 * i));
  return WriteAll(fd_, reinterpret_cast<const char*>(header), sizeof header) &&
         WriteAll(fd_, frame.data(), frame.size());
}

bool Channel::Receive(std::string& frame) {
  unsigned char header[4];
  if (fd_ < 0 || !ReadAll(fd_, reinterpret_cast<char*>(header), sizeof header)) return false;
  uint32_t size = 0;
  for (int i = 0; i < 4; ++i) size |= static_cast<uint32_t>(header[i]) << (8 * i);
  if (size > kMaxFrameSize) return false;
  frame.resize(size);
  return ReadAll(fd_, &frame[0], size);
}

void Channel::Close() {
  std::lock_guard<std::mutex> lock(send_mutex_);
  if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
}

}  // namespace cef_ipc
