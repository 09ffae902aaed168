#ifndef CEF_IPC_CHANNEL_H_
#define CEF_IPC_CHANNEL_H_

#include <cstddef>
#include <mutex>
#include <string>

namespace cef_ipc {

// One end of the stream socket between the browser process and a render process. Carries
// frames: a 4-byte little-endian length, then that many bytes.
class Channel {
 public:
  // Frames larger than this are refused in both directions.
  static const size_t kMaxFrameSize = 128u << 20;

  // Takes ownership of |fd|.
  explicit Channel(int fd);
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // False when the frame is too large or the other end is gone.
  bool Send(const std::string& frame);
  // Blocks for the next frame. False at the end of the stream, on a read error or on a frame
  // length over the limit (the channel is then unusable).
  bool Receive(std::string& frame);
  // Ends the stream for both directions; the other end sees its end.
  void Close();

 private:
  std::mutex send_mutex_;
  int fd_;
};

}  // namespace cef_ipc

#endif  // CEF_IPC_CHANNEL_H_
