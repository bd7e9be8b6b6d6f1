// Checking the pieces, then copying their packets into the joined file.
#include "video_join.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "capture/video_format.h"
#include "libav_video_sink.h"
#include "music_reader.h"

namespace vexil {

namespace {

// One piece as read from its file.
struct Piece {
  std::string path;
  AVFormatContext* input = nullptr;
  int stream = -1;
  int fps = 0;
  int64_t first = 0;  // frame numbers of the render, from the pieces' time stamps
  int64_t last = 0;

  ~Piece() { avformat_close_input(&input); }
};

struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

bool Open(Piece* piece, std::string* error) {
  if (avformat_open_input(&piece->input, piece->path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(piece->input, nullptr) < 0) {
    *error = "cannot read the piece \"" + piece->path + "\"";
    return false;
  }
  piece->stream = av_find_best_stream(piece->input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (piece->stream < 0 || piece->input->nb_streams != 1) {
    *error = "\"" + piece->path +
             "\" is not a piece of a render: it should hold pictures alone (vexil --video "
             "FILE --chunk K/N)";
    return false;
  }
  const AVRational rate = piece->input->streams[piece->stream]->avg_frame_rate;
  if (rate.den != 1 || rate.num < 1 || rate.num > 1000) {
    *error = "\"" + piece->path + "\" has no whole frame rate a render makes";
    return false;
  }
  piece->fps = rate.num;
  return true;
}

// The packet's frame number of the render, from its presentation time.
int64_t FrameOf(const Piece& piece, const AVPacket& packet) {
  const int64_t pts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
  return av_rescale_q(pts, piece.input->streams[piece.stream]->time_base, AVRational{1, piece.fps});
}

// Reads a piece's packets once: it must start on a key frame and hold each of its frames once,
// in order.
bool Survey(Piece* piece, AVPacket* packet, std::string* error) {
  bool any = false;
  int64_t next = 0;
  while (av_read_frame(piece->input, packet) >= 0) {
    if (packet->stream_index == piece->stream) {
      const int64_t frame = FrameOf(*piece, *packet);
      if (!any && !(packet->flags & AV_PKT_FLAG_KEY)) {
        *error = "\"" + piece->path + "\" does not start on a key frame";
        av_packet_unref(packet);
        return false;
      }
      if (any && frame != next) {
        *error = "\"" + piece->path + "\" skips or repeats frames near frame " +
                 std::to_string(next) + " (pieces are made without reordered frames)";
        av_packet_unref(packet);
        return false;
      }
      if (!any) piece->first = frame;
      any = true;
      piece->last = frame;
      next = frame + 1;
    }
    av_packet_unref(packet);
  }
  if (!any) {
    *error = "\"" + piece->path + "\" holds no picture";
    return false;
  }
  return true;
}

bool SameFormat(const Piece& a, const Piece& b, std::string* error) {
  const AVCodecParameters* x = a.input->streams[a.stream]->codecpar;
  const AVCodecParameters* y = b.input->streams[b.stream]->codecpar;
  const bool same = x->codec_id == y->codec_id && x->width == y->width && x->height == y->height &&
                    x->format == y->format && a.fps == b.fps &&
                    x->extradata_size == y->extradata_size &&
                    (x->extradata_size == 0 ||
                     std::equal(x->extradata, x->extradata + x->extradata_size, y->extradata));
  if (same) return true;
  char text[160];
  std::snprintf(text, sizeof text, "%s %dx%d at %d fps", avcodec_get_name(y->codec_id), y->width,
                y->height, b.fps);
  *error = "\"" + b.path + "\" is not of the same format as \"" + a.path + "\" (" + text +
           ", or other encoder settings): pieces of one render join, others do not";
  return false;
}

bool Contiguous(const Piece& before, const Piece& after, std::string* error) {
  if (after.first == before.last + 1) return true;
  char text[256];
  if (after.first > before.last + 1) {
    std::snprintf(text, sizeof text, "frames %" PRId64 " to %" PRId64 " are missing",
                  before.last + 1, after.first - 1);
  } else {
    std::snprintf(text, sizeof text, "frames %" PRId64 " to %" PRId64 " are in both", after.first,
                  std::min(before.last, after.last));
  }
  *error = std::string(text) + " between \"" + before.path + "\" (frames " +
           std::to_string(before.first) + "-" + std::to_string(before.last) + ") and \"" +
           after.path + "\" (frames " + std::to_string(after.first) + "-" +
           std::to_string(after.last) + "): give every piece once, in order";
  return false;
}

}  // namespace

bool JoinVideos(const std::string& out, const std::vector<std::string>& parts,
                const std::string& music_path, std::string* error) {
  VideoFormat format;
  if (!ChooseVideoFormat(out, &format, error)) return false;
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  std::vector<std::unique_ptr<Piece>> pieces;
  for (const std::string& path : parts) {
    pieces.push_back(std::make_unique<Piece>());
    Piece& piece = *pieces.back();
    piece.path = path;
    if (!Open(&piece, error) || !Survey(&piece, packet.get(), error)) return false;
    if (pieces.size() > 1 && (!SameFormat(*pieces.front(), piece, error) ||
                              !Contiguous(*pieces[pieces.size() - 2], piece, error))) {
      return false;
    }
  }
  const Piece& first = *pieces.front();
  const int64_t begin = first.first;
  const int64_t end = pieces.back()->last + 1;

  MusicReader music;
  if (!music.Open(music_path, error)) return false;
  const int fps = first.fps;
  const int64_t needed =
      AudioFramesBefore(end, fps, music.rate()) - AudioFramesBefore(begin, fps, music.rate());
  if (music.frames() != needed) {
    *error = "the music \"" + music_path + "\" lasts " + std::to_string(music.frames()) +
             " sample frames; frames " + std::to_string(begin) + " to " + std::to_string(end - 1) +
             " need " + std::to_string(needed) +
             " (the --audio-only render of the same script, rate and span)";
    return false;
  }

  const AVCodecParameters* pictures = first.input->streams[first.stream]->codecpar;
  RenderFormat render;
  render.width = pictures->width;
  render.height = pictures->height;
  render.fps = fps;
  render.audio_rate = music.rate();
  LibavVideoSink sink(format, out);
  // On any failure the sink's destructor removes the unfinished file.
  if (!sink.BeginCopy(render, pictures, error)) return false;
  // Pictures and music go in together, frame by frame, so the muxer never holds much of either.
  std::vector<int16_t> samples;
  for (const auto& piece : pieces) {
    if (av_seek_frame(piece->input, piece->stream, 0, AVSEEK_FLAG_BACKWARD) < 0) {
      *error = "cannot read \"" + piece->path + "\" again";
      return false;
    }
    while (av_read_frame(piece->input, packet.get()) >= 0) {
      if (packet->stream_index != piece->stream) {
        av_packet_unref(packet.get());
        continue;
      }
      const int64_t frame = FrameOf(*piece, *packet);
      packet->pts = frame - begin;
      packet->dts = frame - begin;
      packet->duration = 1;
      const int64_t count = AudioFramesBefore(frame + 1, fps, music.rate()) -
                            AudioFramesBefore(frame, fps, music.rate());
      bool ok = sink.AddPacket(packet.get(), error);
      av_packet_unref(packet.get());
      if (ok && !music.Read(count, &samples)) {
        *error = "cannot read the music \"" + music_path + "\"";
        ok = false;
      }
      ok = ok && sink.AddAudio(samples.data(), count, error);
      if (!ok) return false;
    }
  }
  if (!sink.Finish(RenderEnd::kComplete, error)) return false;
  std::printf("vexil-join: %" PRId64 " frames at %d fps (%dx%d) from %zu pieces written to %s\n",
              end - begin, fps, render.width, render.height, pieces.size(), out.c_str());
  return true;
}

}  // namespace vexil
