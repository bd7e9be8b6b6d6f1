// Writes a render as one video file with its music through FFmpeg's libraries: frames are
// converted from RGB to BT.709 YUV 4:2:0 (libswscale) and encoded with their frame number as
// time stamp; the music is converted to the audio encoder's sample format and rate
// (libswresample) and encoded with its sample count as time stamp, so sample 0 of the music
// and frame 0 of the pictures start the file together.
#pragma once

#include <cstdint>
#include <string>

#include "capture/frame_sink.h"
#include "capture/video_format.h"
#include "system/output_file.h"

struct AVCodec;
struct AVCodecParameters;
struct AVRational;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVIOContext;
struct AVPacket;
struct AVStream;
struct AVAudioFifo;
struct SwsContext;
struct SwrContext;

namespace vexil {

// False with a message when this system's FFmpeg lacks the container or an encoder.
bool VideoFormatAvailable(const VideoFormat& format, std::string* error);

class LibavVideoSink : public FrameSink {
 public:
  LibavVideoSink(VideoFormat format, std::string path);
  ~LibavVideoSink() override;
  LibavVideoSink(const LibavVideoSink&) = delete;
  LibavVideoSink& operator=(const LibavVideoSink&) = delete;

  bool Begin(const RenderFormat& format, std::string* error) override;
  // Joining pieces: the pictures are copied from already encoded packets of the stream that
  // `pictures` describes (no encoder), the music is encoded from AddAudio as in a render.
  bool BeginCopy(const RenderFormat& format, const AVCodecParameters* pictures, std::string* error);
  // One packet of the copied pictures, its time stamps in frames (frame 0 at time 0).
  bool AddPacket(AVPacket* packet, std::string* error);
  bool AddFrame(const RenderedFrame& frame, std::string* error) override;
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override;
  // Drains both encoders and writes the index, also after a render cut short: what was
  // rendered stays a playable file.
  bool Finish(RenderEnd end, std::string* error) override;
  int64_t frames_written() const override { return frames_written_; }

 private:
  bool OpenOutput(const RenderFormat& format, const AVCodecParameters* pictures,
                  std::string* error);
  bool OpenVideo(const RenderFormat& format, std::string* error);
  bool CopyVideo(const RenderFormat& format, const AVCodecParameters* pictures, std::string* error);
  bool OpenAudio(const RenderFormat& format, std::string* error);
  // Sends one frame (null: the end) to an encoder and writes every packet it gives back.
  bool Encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame, std::string* error);
  // Encodes the waiting audio in whole encoder frames; `final` also sends the rest.
  bool EncodeWaitingAudio(bool final, std::string* error);
  bool ConvertAudio(const int16_t* samples, int frames, std::string* error);
  void Close();

  VideoFormat format_;
  std::string path_;
  int width_ = 0;
  int height_ = 0;
  AVFormatContext* output_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVStream* video_stream_ = nullptr;
  AVCodecContext* audio_ = nullptr;
  AVStream* audio_stream_ = nullptr;
  SwsContext* scale_ = nullptr;
  SwrContext* resample_ = nullptr;
  AVAudioFifo* waiting_audio_ = nullptr;
  AVFrame* picture_ = nullptr;
  AVFrame* sound_ = nullptr;
  AVPacket* packet_ = nullptr;
  uint8_t** converted_ = nullptr;  // planes of resampled audio
  int converted_capacity_ = 0;     // in samples per channel
  int audio_frame_size_ = 0;
  int64_t audio_pts_ = 0;
  bool header_written_ = false;
  bool pictures_only_ = false;  // a piece: no music
  int copy_fps_ = 0;            // frames per second of copied pictures
  sys::OutputLock lock_;        // one render into this video at a time
  sys::OutputFile file_;        // written beside the video, renamed into place when finished
  AVIOContext* io_ = nullptr;
  int64_t frames_added_ = 0;
  int64_t frames_written_ = 0;
};

}  // namespace vexil
