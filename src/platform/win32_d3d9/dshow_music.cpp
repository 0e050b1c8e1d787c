// Music service on DirectShow: one filter graph that renders the music file,
// run and paused through its media control. At its end the graph stays
// running in silence, so a later run changes nothing.
#include <dshow.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win32_d3d9/backend_parts.hpp"

namespace platform::win32_d3d9 {

namespace {

// What a failed RenderFile most often means, in words.
const char* renderError(HRESULT hr) {
  switch (hr) {
    case VFW_E_NOT_FOUND:
    case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
      return "the file is missing";
    case VFW_E_CANNOT_RENDER:
      return "nothing can play it (no audio output?)";
    case VFW_E_UNKNOWN_FILE_TYPE:
    case VFW_E_UNSUPPORTED_STREAM:
      return "it is not a file DirectShow can read";
    default:
      return "DirectShow cannot render it";
  }
}

class DShowMusic : public Music {
 public:
  bool createGraph() override;
  Result renderFile(const char* path) override;
  void placeVideo(const Rect& clientArea) override;
  Result run() override;
  Result pause() override;

  void shutDown();

 private:
  bool comStarted_ = false;
  IGraphBuilder* graph_ = nullptr;
  IMediaControl* control_ = nullptr;
  IVideoWindow* video_ = nullptr;
  bool rendered_ = false;
};

bool DShowMusic::createGraph() {
  if (graph_) return true;
  // The graph streams on threads of its own; the game never waits on them.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  comStarted_ = SUCCEEDED(init);
  HRESULT hr =
      CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                       IID_IGraphBuilder, reinterpret_cast<void**>(&graph_));
  if (SUCCEEDED(hr))
    hr = graph_->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control_));
  if (FAILED(hr)) {
    std::fprintf(stderr, "riderozad: no DirectShow filter graph (error 0x%08lX)\n",
                 static_cast<unsigned long>(hr));
    shutDown();
    return false;
  }
  // A sound-only graph still answers for a video window; its calls then do
  // nothing.
  graph_->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&video_));
  return true;
}

Result DShowMusic::renderFile(const char* path) {
  if (!graph_ || !path) return Result::Failed;
  if (rendered_) return Result::Failed;  // one graph plays one file
  const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return Result::Failed;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  const HRESULT hr = graph_->RenderFile(wide.c_str(), nullptr);
  if (FAILED(hr)) {
    std::fprintf(stderr, "riderozad: cannot play the music file %s: %s (error 0x%08lX)\n", path,
                 renderError(hr), static_cast<unsigned long>(hr));
    return Result::Failed;
  }
  rendered_ = true;
  return Result::Ok;
}

void DShowMusic::placeVideo(const Rect& clientArea) {
  if (!video_) return;
  const auto owner = reinterpret_cast<OAHWND>(mainWindowHandle());
  video_->put_Owner(owner);
  video_->SetWindowPosition(clientArea.left, clientArea.top, clientArea.right, clientArea.bottom);
  video_->put_Owner(owner);
}

Result DShowMusic::run() {
  if (!rendered_) return Result::Failed;
  return SUCCEEDED(control_->Run()) ? Result::Ok : Result::Failed;
}

Result DShowMusic::pause() {
  if (!rendered_) return Result::Failed;
  return SUCCEEDED(control_->Pause()) ? Result::Ok : Result::Failed;
}

void DShowMusic::shutDown() {
  if (control_) {
    control_->Stop();
    control_->Release();
  }
  control_ = nullptr;
  if (video_) {
    video_->put_Owner(0);
    video_->Release();
  }
  video_ = nullptr;
  if (graph_) graph_->Release();
  graph_ = nullptr;
  rendered_ = false;
  if (comStarted_) CoUninitialize();
  comStarted_ = false;
}

DShowMusic& theMusic() {
  static DShowMusic instance;
  return instance;
}

}  // namespace

Music* musicService() { return &theMusic(); }

void shutDownMusic() { theMusic().shutDown(); }

}  // namespace platform::win32_d3d9
