// The video encoder lives in a library of its own, libvexil_video.so, loaded only when a video
// is asked for: FFmpeg's libraries and the codecs they pull in take far longer to load than the
// rest of the player, and a player without them still plays and captures.
#pragma once

#include <string>

#include "capture/frame_sink.h"
#include "capture/video_format.h"

// The one export of libvexil_video.so: a sink that writes `path` in `format`. Null with a
// message when this system's FFmpeg libraries lack the container or one of the encoders.
// The caller deletes the sink before it unloads the library.
extern "C" vexil::FrameSink* VexilVideo_CreateSink(const vexil::VideoFormat* format,
                                                   const char* path, std::string* error);
using VexilVideoCreateSinkFunction = decltype(&VexilVideo_CreateSink);

// Joins the videos of the pieces of a render with its music (vexil-join): see video_join.h.
extern "C" bool VexilVideo_Join(const char* out, const char* const* parts, int count,
                                const char* music, std::string* error);
using VexilVideoJoinFunction = decltype(&VexilVideo_Join);
