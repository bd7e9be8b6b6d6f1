// Video files through libavformat, libavcodec, libswscale and libswresample.
#include "libav_video_sink.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <thread>

namespace vexil {

namespace {

// Encoder settings by encoder. H.264 at constant quality 18 is close to transparent for
// rendered pictures and what video sites recommend to upload; VP9's scale differs, and its
// "good" deadline at speed 4 keeps its encode time within a few times H.264's.
struct EncoderSettings {
  const char* codec;
  const char* options;  // key=value pairs separated by ':', FFmpeg's option names
  int64_t bit_rate;     // 0: constant quality
};

const EncoderSettings kEncoderSettings[] = {
    {"libx264", "preset=medium:crf=18", 0},
    {"libvpx-vp9", "crf=31:deadline=good:cpu-used=4:row-mt=1", 0},
    {"aac", "", 192000},
    {"libopus", "", 160000},
};

const EncoderSettings* SettingsFor(const std::string& codec) {
  for (const EncoderSettings& settings : kEncoderSettings) {
    if (codec == settings.codec) return &settings;
  }
  return nullptr;
}

std::string LibraryError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

bool Failed(std::string* error, const std::string& what, int code) {
  *error = what + ": " + LibraryError(code);
  return false;
}

// The sample format the encoder takes, planar float first (what AAC and Opus prefer).
AVSampleFormat ChooseSampleFormat(const AVCodec* codec) {
  const AVSampleFormat* formats = codec->sample_fmts;
  if (formats == nullptr) return AV_SAMPLE_FMT_FLTP;
  for (AVSampleFormat wanted : {AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16}) {
    for (const AVSampleFormat* f = formats; *f != AV_SAMPLE_FMT_NONE; ++f) {
      if (*f == wanted) return wanted;
    }
  }
  return formats[0];
}

// The music's own rate when the encoder takes it (AAC does), else the lowest rate above it
// (Opus takes 48 kHz only), else the highest it has.
int ChooseSampleRate(const AVCodec* codec, int rate) {
  const int* rates = codec->supported_samplerates;
  if (rates == nullptr) return rate;
  int above = 0;
  int highest = 0;
  for (const int* r = rates; *r != 0; ++r) {
    if (*r == rate) return rate;
    if (*r > rate && (above == 0 || *r < above)) above = *r;
    highest = std::max(highest, *r);
  }
  return above != 0 ? above : highest;
}

// FFmpeg writes through these onto the descriptor of the OutputFile, so the video takes the
// same way to the disk as every other output.
int WriteToFile(void* opaque, uint8_t* data, int size) {
  std::string error;
  if (!static_cast<sys::OutputFile*>(opaque)->Write(data, static_cast<size_t>(size), &error)) {
    return AVERROR(errno != 0 ? errno : EIO);
  }
  return size;
}

int64_t SeekInFile(void* opaque, int64_t offset, int whence) {
  const int fd = static_cast<sys::OutputFile*>(opaque)->fd();
  if (whence == AVSEEK_SIZE) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return AVERROR(ESPIPE);
    return info.st_size;
  }
  const off_t at = ::lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : at;
}

}  // namespace

bool VideoFormatAvailable(const VideoFormat& format, std::string* error) {
  const std::string cannot = "cannot write " + format.description + ": ";
  if (av_guess_format(format.muxer.c_str(), nullptr, nullptr) == nullptr) {
    *error = cannot + "this system's FFmpeg (libavformat) has no " + format.muxer + " writer";
    return false;
  }
  for (const std::string& codec : {format.video_codec, format.audio_codec}) {
    if (avcodec_find_encoder_by_name(codec.c_str()) == nullptr) {
      *error = cannot + "this system's FFmpeg (libavcodec) has no " + codec + " encoder";
      return false;
    }
  }
  return true;
}

LibavVideoSink::LibavVideoSink(VideoFormat format, std::string path)
    : format_(std::move(format)), path_(std::move(path)) {}

LibavVideoSink::~LibavVideoSink() {
  Close();
}

void LibavVideoSink::Close() {
  if (output_ != nullptr) output_->pb = nullptr;
  if (io_ != nullptr) av_freep(&io_->buffer);
  avio_context_free(&io_);
  file_.Abort();  // a video never finished is not left under its name
  avformat_free_context(output_);
  output_ = nullptr;
  avcodec_free_context(&video_);
  avcodec_free_context(&audio_);
  sws_freeContext(scale_);
  scale_ = nullptr;
  swr_free(&resample_);
  if (waiting_audio_ != nullptr) av_audio_fifo_free(waiting_audio_);
  waiting_audio_ = nullptr;
  av_frame_free(&picture_);
  av_frame_free(&sound_);
  av_packet_free(&packet_);
  if (converted_ != nullptr) av_freep(&converted_[0]);
  av_freep(&converted_);
  converted_capacity_ = 0;
}

bool LibavVideoSink::Begin(const RenderFormat& format, std::string* error) {
  return OpenOutput(format, nullptr, error);
}

bool LibavVideoSink::BeginCopy(const RenderFormat& format, const AVCodecParameters* pictures,
                               std::string* error) {
  return OpenOutput(format, pictures, error);
}

bool LibavVideoSink::OpenOutput(const RenderFormat& format, const AVCodecParameters* pictures,
                                std::string* error) {
  width_ = format.width;
  height_ = format.height;
  // 4:2:0 video halves both directions for colour: encoders refuse odd sizes.
  if (width_ % 2 != 0 || height_ % 2 != 0) {
    *error = format_.description + " needs an even width and height; this render is " +
             std::to_string(width_) + "x" + std::to_string(height_) +
             " (choose another size with --size)";
    return false;
  }
  int code =
      avformat_alloc_output_context2(&output_, nullptr, format_.muxer.c_str(), path_.c_str());
  if (code < 0) return Failed(error, "cannot start a " + format_.muxer + " file", code);
  packet_ = av_packet_alloc();
  // A piece of a render holds its pictures only: the pieces are joined with the whole music.
  pictures_only_ = format.piece;
  const bool video_ok = pictures ? CopyVideo(format, pictures, error) : OpenVideo(format, error);
  if (!video_ok || (!pictures_only_ && !OpenAudio(format, error))) return false;

  if (!(output_->oformat->flags & AVFMT_NOFILE)) {
    // Through the file writer, not FFmpeg's protocols: a name with a colon stays a file name, a
    // pipe never blocks the open, and a video is renamed into place only once it is complete.
    std::string why;
    if (!lock_.Acquire(path_, /*is_folder=*/false, error)) return false;
    if (!file_.Open(path_, &why)) {
      *error = "cannot write \"" + path_ + "\": " + why;
      return false;
    }
    constexpr int kBufferBytes = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    io_ = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, &file_, nullptr, &WriteToFile,
                                      file_.direct() ? nullptr : &SeekInFile)
                 : nullptr;
    if (io_ == nullptr) {
      av_free(buffer);
      *error = "not enough memory to write \"" + path_ + "\"";
      return false;
    }
    output_->pb = io_;
    // MP4's fast start reads the file back by its name to move the index to the front: that is
    // the temporary, the only file the video is in until it is complete.
    char* url = av_strdup(("file:" + file_.writing_path()).c_str());
    if (url == nullptr) {
      *error = "not enough memory to write \"" + path_ + "\"";
      return false;
    }
    av_freep(&output_->url);
    output_->url = url;
  }
  AVDictionary* options = nullptr;
  if (format_.fast_start) av_dict_set(&options, "movflags", "+faststart", 0);
  code = avformat_write_header(output_, &options);
  av_dict_free(&options);
  if (code < 0) return Failed(error, "cannot write \"" + path_ + "\"", code);
  header_written_ = true;
  return true;
}

bool LibavVideoSink::OpenVideo(const RenderFormat& format, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(format_.video_codec.c_str());
  const EncoderSettings* settings = SettingsFor(format_.video_codec);
  video_stream_ = avformat_new_stream(output_, nullptr);
  video_ = avcodec_alloc_context3(codec);
  picture_ = av_frame_alloc();
  if (codec == nullptr || video_stream_ == nullptr || video_ == nullptr || picture_ == nullptr ||
      packet_ == nullptr) {
    *error = "cannot set up the " + format_.video_codec + " encoder";
    return false;
  }
  video_->width = width_;
  video_->height = height_;
  video_->time_base = AVRational{1, format.fps};
  video_->framerate = AVRational{format.fps, 1};
  video_->sample_aspect_ratio = AVRational{1, 1};
  video_->pix_fmt = AV_PIX_FMT_YUV420P;
  // A key frame every two seconds: editors and players seek quickly, at little cost in size.
  video_->gop_size = 2 * format.fps;
  // Pieces are joined by copying their packets one after the other: without reordered
  // (B) frames every packet is decoded in the order it is shown, so each piece's time stamps
  // continue the previous piece's exactly. Every piece starts on a key frame anyway.
  if (format.piece) video_->max_b_frames = 0;
  // Tagged the way the pixels are converted, so players turn them back into the same colours.
  video_->color_range = AVCOL_RANGE_MPEG;
  video_->colorspace = AVCOL_SPC_BT709;
  video_->color_primaries = AVCOL_PRI_BT709;
  video_->color_trc = AVCOL_TRC_BT709;
  video_->bit_rate = settings ? settings->bit_rate : 0;
  // As many encoder threads as the machine has cores (libavcodec's default is one), at most
  // 16: every frame thread holds pictures of its own (a 4K picture is 12 MB), and past that
  // the encoders gain little, so a render node with many cores does not multiply its memory.
  video_->thread_count =
      static_cast<int>(std::min(16u, std::max(1u, std::thread::hardware_concurrency())));
  if (output_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

  AVDictionary* options = nullptr;
  if (settings) av_dict_parse_string(&options, settings->options, "=", ":", 0);
  const int code = avcodec_open2(video_, codec, &options);
  av_dict_free(&options);
  if (code < 0) return Failed(error, "cannot start the " + format_.video_codec + " encoder", code);
  avcodec_parameters_from_context(video_stream_->codecpar, video_);
  video_stream_->time_base = video_->time_base;
  video_stream_->avg_frame_rate = video_->framerate;

  picture_->format = video_->pix_fmt;
  picture_->width = width_;
  picture_->height = height_;
  if (av_frame_get_buffer(picture_, 0) < 0) {
    *error = "not enough memory for a " + std::to_string(width_) + "x" + std::to_string(height_) +
             " video frame";
    return false;
  }
  // Accurate rounding and full-resolution chroma input: flat colours come back as they went in.
  scale_ = sws_getContext(width_, height_, AV_PIX_FMT_RGB24, width_, height_, AV_PIX_FMT_YUV420P,
                          SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr,
                          nullptr);
  if (scale_ == nullptr) {
    *error = "cannot set up the colour conversion of the video frames";
    return false;
  }
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  sws_setColorspaceDetails(scale_, bt709, /*srcRange full*/ 1, bt709, /*dstRange limited*/ 0, 0,
                           1 << 16, 1 << 16);
  return true;
}

bool LibavVideoSink::CopyVideo(const RenderFormat& format, const AVCodecParameters* pictures,
                               std::string* error) {
  video_stream_ = avformat_new_stream(output_, nullptr);
  if (video_stream_ == nullptr || packet_ == nullptr ||
      avcodec_parameters_copy(video_stream_->codecpar, pictures) < 0) {
    *error = "not enough memory to write \"" + path_ + "\"";
    return false;
  }
  // The tag of the pieces' container need not be the joined file's.
  video_stream_->codecpar->codec_tag = 0;
  copy_fps_ = format.fps;
  video_stream_->time_base = AVRational{1, format.fps};
  video_stream_->avg_frame_rate = AVRational{format.fps, 1};
  return true;
}

bool LibavVideoSink::AddPacket(AVPacket* packet, std::string* error) {
  av_packet_rescale_ts(packet, AVRational{1, copy_fps_}, video_stream_->time_base);
  packet->stream_index = video_stream_->index;
  packet->pos = -1;
  const int code = av_interleaved_write_frame(output_, packet);
  if (code < 0) return Failed(error, "cannot write \"" + path_ + "\"", code);
  ++frames_added_;
  return true;
}

bool LibavVideoSink::OpenAudio(const RenderFormat& format, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder_by_name(format_.audio_codec.c_str());
  const EncoderSettings* settings = SettingsFor(format_.audio_codec);
  audio_stream_ = avformat_new_stream(output_, nullptr);
  audio_ = avcodec_alloc_context3(codec);
  sound_ = av_frame_alloc();
  if (codec == nullptr || audio_stream_ == nullptr || audio_ == nullptr || sound_ == nullptr) {
    *error = "cannot set up the " + format_.audio_codec + " encoder";
    return false;
  }
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  audio_->sample_fmt = ChooseSampleFormat(codec);
  audio_->sample_rate = ChooseSampleRate(codec, format.audio_rate);
  av_channel_layout_copy(&audio_->ch_layout, &stereo);
  audio_->bit_rate = settings ? settings->bit_rate : 0;
  audio_->time_base = AVRational{1, audio_->sample_rate};
  if (output_->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int code = avcodec_open2(audio_, codec, nullptr);
  if (code < 0) return Failed(error, "cannot start the " + format_.audio_codec + " encoder", code);
  // The encoder's first packets hold its start-up delay (AAC 1024 samples, Opus 312). MP4 keeps
  // them before time 0 and says so in an edit list; elsewhere the stream is stamped from 0 so
  // the muxer does not move the pictures later to make room, which would put the music early.
  if (!format_.edit_list) audio_pts_ = audio_->initial_padding;
  avcodec_parameters_from_context(audio_stream_->codecpar, audio_);
  audio_stream_->time_base = audio_->time_base;

  code =
      swr_alloc_set_opts2(&resample_, &audio_->ch_layout, audio_->sample_fmt, audio_->sample_rate,
                          &stereo, AV_SAMPLE_FMT_S16, format.audio_rate, 0, nullptr);
  if (code >= 0) code = swr_init(resample_);
  if (code < 0) return Failed(error, "cannot set up the conversion of the music", code);

  const bool any_size = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
  audio_frame_size_ = audio_->frame_size > 0 && !any_size ? audio_->frame_size : 1024;
  waiting_audio_ = av_audio_fifo_alloc(audio_->sample_fmt, 2, audio_frame_size_);
  sound_->format = audio_->sample_fmt;
  sound_->sample_rate = audio_->sample_rate;
  sound_->nb_samples = audio_frame_size_;
  av_channel_layout_copy(&sound_->ch_layout, &audio_->ch_layout);
  if (waiting_audio_ == nullptr || av_frame_get_buffer(sound_, 0) < 0) {
    *error = "not enough memory for the music of the video";
    return false;
  }
  return true;
}

bool LibavVideoSink::Encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame,
                            std::string* error) {
  int code = avcodec_send_frame(encoder, frame);
  if (code < 0)
    return Failed(error, "the " + std::string(encoder->codec->name) + " encoder failed", code);
  for (;;) {
    code = avcodec_receive_packet(encoder, packet_);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
    if (code < 0) {
      return Failed(error, "the " + std::string(encoder->codec->name) + " encoder failed", code);
    }
    av_packet_rescale_ts(packet_, encoder->time_base, stream->time_base);
    packet_->stream_index = stream->index;
    code = av_interleaved_write_frame(output_, packet_);
    if (code < 0) return Failed(error, "cannot write \"" + path_ + "\"", code);
  }
}

bool LibavVideoSink::AddFrame(const RenderedFrame& frame, std::string* error) {
  if (av_frame_make_writable(picture_) < 0) {
    *error = "not enough memory for a video frame";
    return false;
  }
  const uint8_t* source[1] = {frame.rgb};
  const int stride[1] = {width_ * 3};
  sws_scale(scale_, source, stride, 0, height_, picture_->data, picture_->linesize);
  picture_->pts = frame.index;
  if (!Encode(video_, video_stream_, picture_, error)) return false;
  ++frames_added_;
  return true;
}

bool LibavVideoSink::ConvertAudio(const int16_t* samples, int frames, std::string* error) {
  const int room = swr_get_out_samples(resample_, frames);
  if (room > converted_capacity_) {
    if (converted_ != nullptr) av_freep(&converted_[0]);
    av_freep(&converted_);
    if (av_samples_alloc_array_and_samples(&converted_, nullptr, 2, room, audio_->sample_fmt, 0) <
        0) {
      converted_capacity_ = 0;
      *error = "not enough memory for the music of the video";
      return false;
    }
    converted_capacity_ = room;
  }
  // Null input drains what the resampler still holds.
  const auto* input = reinterpret_cast<const uint8_t*>(samples);
  const int made =
      swr_convert(resample_, converted_, converted_capacity_, samples ? &input : nullptr, frames);
  if (made < 0) return Failed(error, "cannot convert the music", made);
  if (made > 0 &&
      av_audio_fifo_write(waiting_audio_, reinterpret_cast<void**>(converted_), made) < made) {
    *error = "not enough memory for the music of the video";
    return false;
  }
  return true;
}

bool LibavVideoSink::AddAudio(const int16_t* samples, int64_t frames, std::string* error) {
  if (frames <= 0 || pictures_only_) return true;
  if (frames > INT_MAX / 4) {
    *error = "too much music for one frame";
    return false;
  }
  return ConvertAudio(samples, static_cast<int>(frames), error) && EncodeWaitingAudio(false, error);
}

bool LibavVideoSink::EncodeWaitingAudio(bool final, std::string* error) {
  for (;;) {
    const int waiting = av_audio_fifo_size(waiting_audio_);
    if (waiting == 0 || (waiting < audio_frame_size_ && !final)) return true;
    const int count = std::min(waiting, audio_frame_size_);
    if (av_frame_make_writable(sound_) < 0) {
      *error = "not enough memory for the music of the video";
      return false;
    }
    // Every frame but the last holds exactly the encoder's frame size.
    sound_->nb_samples = count;
    av_audio_fifo_read(waiting_audio_, reinterpret_cast<void**>(sound_->data), count);
    sound_->pts = audio_pts_;
    audio_pts_ += count;
    if (!Encode(audio_, audio_stream_, sound_, error)) return false;
  }
}

bool LibavVideoSink::Finish(RenderEnd, std::string* error) {
  if (!header_written_) return true;
  header_written_ = false;
  bool ok = pictures_only_ || (ConvertAudio(nullptr, 0, error) && EncodeWaitingAudio(true, error) &&
                               Encode(audio_, audio_stream_, nullptr, error));
  if (video_ != nullptr) ok = ok && Encode(video_, video_stream_, nullptr, error);
  const int code = av_write_trailer(output_);
  if (ok && code < 0) ok = Failed(error, "cannot finish \"" + path_ + "\"", code);
  if (io_ != nullptr) {
    avio_flush(io_);
    if (ok && io_->error < 0) ok = Failed(error, "cannot finish \"" + path_ + "\"", io_->error);
    // Only a video with its index reaches its name; anything less is removed with Close().
    std::string why;
    if (ok && !file_.Commit(&why)) {
      *error = "cannot finish \"" + path_ + "\": " + why;
      ok = false;
    }
  }
  if (ok) frames_written_ = frames_added_;
  Close();
  return ok;
}

}  // namespace vexil
