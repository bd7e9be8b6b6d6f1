// Video decoding for the tests with libavformat, libavcodec, libswscale and libswresample.
#include "video_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace vexil_e2e {

namespace {

struct Decoder {
  AVCodecContext* context = nullptr;
  int stream = -1;
  ~Decoder() { avcodec_free_context(&context); }
  bool Open(AVFormatContext* input, AVMediaType type) {
    stream = av_find_best_stream(input, type, -1, -1, nullptr, 0);
    if (stream < 0) return false;
    const AVCodecParameters* parameters = input->streams[stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    context = avcodec_alloc_context3(codec);
    if (!codec || !context || avcodec_parameters_to_context(context, parameters) < 0) return false;
    // As players do: the decoder then moves a frame's time past the samples it drops at the
    // start (an encoder's delay that the container declares).
    context->pkt_timebase = input->streams[stream]->time_base;
    return avcodec_open2(context, codec, nullptr) >= 0;
  }
};

double Seconds(int64_t pts, AVRational base) {
  return pts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pts) * av_q2d(base);
}

class Reader {
 public:
  Reader(const std::set<int64_t>& keep, int rate, DecodedVideo* out)
      : keep_(keep), rate_(rate), out_(out) {}
  ~Reader() {
    sws_freeContext(scale_);
    swr_free(&resample_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avformat_close_input(&input_);
  }

  bool Read(const std::string& path, std::string* error) {
    av_log_set_level(AV_LOG_ERROR);
    if (avformat_open_input(&input_, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(input_, nullptr) < 0) {
      *error = "cannot open " + path;
      return false;
    }
    if (!video_.Open(input_, AVMEDIA_TYPE_VIDEO) || !audio_.Open(input_, AVMEDIA_TYPE_AUDIO)) {
      *error = path + " lacks a decodable video or audio stream";
      return false;
    }
    out_->container = input_->iformat->name;
    out_->video_codec = video_.context->codec->name;
    out_->audio_codec = audio_.context->codec->name;
    out_->width = video_.context->width;
    out_->height = video_.context->height;
    out_->frame_rate = av_q2d(input_->streams[video_.stream]->avg_frame_rate);
    out_->duration = input_->duration == AV_NOPTS_VALUE
                         ? 0.0
                         : static_cast<double>(input_->duration) / AV_TIME_BASE;
    out_->audio_rate = audio_.context->sample_rate;
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    while (av_read_frame(input_, packet_) >= 0) {
      if (packet_->stream_index == video_.stream) Decode(video_, packet_);
      if (packet_->stream_index == audio_.stream) Decode(audio_, packet_);
      av_packet_unref(packet_);
    }
    Decode(video_, nullptr);
    Decode(audio_, nullptr);
    return true;
  }

 private:
  void Decode(Decoder& decoder, AVPacket* packet) {
    if (avcodec_send_packet(decoder.context, packet) < 0) return;
    while (avcodec_receive_frame(decoder.context, frame_) >= 0) {
      const AVRational base = input_->streams[decoder.stream]->time_base;
      if (&decoder == &video_) {
        if (out_->frames == 0) out_->video_start = Seconds(frame_->best_effort_timestamp, base);
        if (keep_.count(out_->frames)) Keep();
        ++out_->frames;
      } else {
        if (!audio_seen_) out_->audio_start = Seconds(frame_->best_effort_timestamp, base);
        audio_seen_ = true;
        AddAudio();
      }
      av_frame_unref(frame_);
    }
  }

  void Keep() {
    scale_ = sws_getCachedContext(scale_, frame_->width, frame_->height,
                                  static_cast<AVPixelFormat>(frame_->format), frame_->width,
                                  frame_->height, AV_PIX_FMT_RGBA, SWS_BICUBIC | SWS_ACCURATE_RND,
                                  nullptr, nullptr, nullptr);
    const int* coefficients =
        sws_getCoefficients(frame_->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
    sws_setColorspaceDetails(scale_, coefficients, frame_->color_range == AVCOL_RANGE_JPEG,
                             coefficients, 1, 0, 1 << 16, 1 << 16);
    vexil::test::Picture picture;
    picture.width = frame_->width;
    picture.height = frame_->height;
    picture.rgba.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    uint8_t* planes[1] = {picture.rgba.data()};
    const int strides[1] = {picture.width * 4};
    sws_scale(scale_, frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
    out_->kept.push_back(std::move(picture));
  }

  void AddAudio() {
    if (!resample_) {
      AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      swr_alloc_set_opts2(&resample_, &stereo, AV_SAMPLE_FMT_FLT,
                          rate_ > 0 ? rate_ : frame_->sample_rate, &frame_->ch_layout,
                          static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate, 0,
                          nullptr);
      swr_init(resample_);
    }
    const int room = swr_get_out_samples(resample_, frame_->nb_samples);
    std::vector<float> both(static_cast<size_t>(room) * 2);
    uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(both.data())};
    const int made =
        swr_convert(resample_, planes, room, const_cast<const uint8_t**>(frame_->extended_data),
                    frame_->nb_samples);
    for (int i = 0; i < made; ++i) out_->left.push_back(both[static_cast<size_t>(i) * 2]);
  }

  const std::set<int64_t>& keep_;
  int rate_;
  DecodedVideo* out_;
  AVFormatContext* input_ = nullptr;
  Decoder video_;
  Decoder audio_;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scale_ = nullptr;
  SwrContext* resample_ = nullptr;
  bool audio_seen_ = false;
};

}  // namespace

bool DecodeVideoFile(const std::string& path, const std::set<int64_t>& keep, int audio_rate,
                     DecodedVideo* out, std::string* error) {
  *out = DecodedVideo();
  Reader reader(keep, audio_rate, out);
  return reader.Read(path, error);
}

}  // namespace vexil_e2e
