// Loading the video encoder library on demand.
#include "video_sink_loader.h"

#include "script/widgetmanager.h"
#include "system/dynlib.h"
#include "video/video_module.h"
#include "video_format.h"

namespace vexil {

namespace {

constexpr char kLibraryFile[] = "libvexil_video.so";

// Frees the sink the library made. The library itself stays loaded until the process ends:
// the codec libraries FFmpeg pulls in set up global state when they are loaded and are not
// made to be unloaded again (their memory would be lost, their exit handlers left dangling).
class LoadedVideoSink : public FrameSink {
 public:
  explicit LoadedVideoSink(FrameSink* sink) : sink_(sink) {}
  ~LoadedVideoSink() override { delete sink_; }
  LoadedVideoSink(const LoadedVideoSink&) = delete;
  LoadedVideoSink& operator=(const LoadedVideoSink&) = delete;

  bool Begin(const RenderFormat& format, std::string* error) override {
    return sink_->Begin(format, error);
  }
  bool AddFrame(const RenderedFrame& frame, std::string* error) override {
    return sink_->AddFrame(frame, error);
  }
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override {
    return sink_->AddAudio(samples, frames, error);
  }
  bool Finish(RenderEnd end, std::string* error) override { return sink_->Finish(end, error); }
  int64_t frames_written() const override { return sink_->frames_written(); }

 private:
  FrameSink* sink_;
};

}  // namespace

std::unique_ptr<FrameSink> OpenVideoSink(const std::string& path, std::string* error) {
  VideoFormat format;
  if (!ChooseVideoFormat(path, &format, error)) return nullptr;
  // In the program's library folder, beside the engine and the plug-ins (the build's bin/, an
  // installation's lib/vexil/).
  const std::string folder = CWidgetManager::GetEngineFolder();
  const std::string file = folder.empty() ? kLibraryFile : folder + "/" + kLibraryFile;
  sys::DynLibHandle library = sys::DynLibOpen(file.c_str());
  if (library == nullptr) {
    *error = "video export is not available: " + sys::DynLibLastError() +
             " (it needs FFmpeg's libraries libavformat, libavcodec, libswscale and "
             "libswresample; scripts/install-deps.sh installs them)";
    return nullptr;
  }
  auto create = reinterpret_cast<VexilVideoCreateSinkFunction>(
      sys::DynLibSymbol(library, "VexilVideo_CreateSink"));
  // Once loaded the library stays, whatever follows (see LoadedVideoSink).
  if (create == nullptr) {
    *error = "video export is not available: \"" + file + "\" is not vexil's video library";
    return nullptr;
  }
  FrameSink* sink = create(&format, path.c_str(), error);
  if (sink == nullptr) return nullptr;
  return std::make_unique<LoadedVideoSink>(sink);
}

}  // namespace vexil
