// IEffectCLAP: the editor in the host's X11 window, driven by the host's timer and, when the host
// watches file descriptors, by its X connection's readiness.
#include "clap/IEffectCLAP.h"

#include <cstring>
#include <string>

#include "clap/ClapEditorWindow.h"
#include "graphics/IGraphics.h"

namespace {

IGraphics* Editor(const IEffectBase& plug)
{
  return dynamic_cast<IGraphics*>(plug.GetGUI());
}

} // namespace

bool IEffectCLAP::GuiApiSupported(const char* api, bool floating) const
{
  return api && std::strcmp(api, CLAP_WINDOW_API_X11) == 0 && !floating && Editor(*this);
}

bool IEffectCLAP::GuiCreate(const char* api, bool floating)
{
  if (!OnMainThread() || Stage() == kCreated || mGuiCreated) {
    LogMisbehaviour("gui create off the main thread, before init or twice");
    return false;
  }
  if (!GuiApiSupported(api, floating)) return false;
  // The editor's events and redraws need a regular call on the main thread; only the host can give
  // one here.
  if (!mHostTimers) {
    LogMisbehaviour("the editor needs the host's timer-support");
    return false;
  }
  clap_id timer = CLAP_INVALID_ID;
  if (!mHostTimers->register_timer(mInfo.mHost, kEditorTimerMs, &timer) || timer == CLAP_INVALID_ID) return false;
  mTimer = timer;
  // A new editor starts at 1 until the host sets its factor.
  Editor(*this)->SetScale(1.0);
  mEditorWindow = std::make_unique<ClapEditorWindow>();
  mGuiCreated = true;
  return true;
}

void IEffectCLAP::GuiDestroy()
{
  if (!mGuiCreated || !OnMainThread()) {
    LogMisbehaviour("gui destroy without create or off the main thread");
    return;
  }
  UnwatchConnection(); // before the last window closes the connection and its number is free again
  mEditorWindow.reset();
  if (mTimer != CLAP_INVALID_ID) mHostTimers->unregister_timer(mInfo.mHost, mTimer);
  mTimer = CLAP_INVALID_ID;
  mGuiCreated = false;
}

bool IEffectCLAP::GuiSetScale(double scale)
{
  if (!mGuiCreated || !OnMainThread()) {
    LogMisbehaviour("gui set_scale without create or off the main thread");
    return false;
  }
  IGraphics* editor = Editor(*this);
  const int width = editor->ScaledWidth(), height = editor->ScaledHeight();
  editor->SetScale(scale);
  const bool applied = editor->GetScale() == scale;
  if (!mEditorWindow->IsOpen() || (editor->ScaledWidth() == width && editor->ScaledHeight() == height)) return applied;
  if (!mEditorWindow->Refit()) {
    // The window could not be made again: the host's next set_parent opens it anew.
    UnwatchConnection();
    mEditorWindow->Close();
    LogMisbehaviour("the editor's window could not be made again at its new scale");
    return false;
  }
  // A host that refuses the room still gets the editor at its factor, clipped by its window.
  if (mHostGui)
    mHostGui->request_resize(mInfo.mHost, static_cast<uint32_t>(editor->ScaledWidth()),
                             static_cast<uint32_t>(editor->ScaledHeight()));
  return applied;
}

bool IEffectCLAP::GuiSize(uint32_t* width, uint32_t* height) const
{
  const IGraphics* editor = Editor(*this);
  if (!editor || !width || !height || !OnMainThread()) return false;
  *width = static_cast<uint32_t>(editor->ScaledWidth());
  *height = static_cast<uint32_t>(editor->ScaledHeight());
  return true;
}

bool IEffectCLAP::GuiAdjustSize(uint32_t* width, uint32_t* height) const
{
  return GuiSize(width, height);
}

bool IEffectCLAP::GuiSetSize(uint32_t width, uint32_t height) const
{
  uint32_t w = 0, h = 0;
  return GuiSize(&w, &h) && w == width && h == height;
}

bool IEffectCLAP::GuiSetParent(const clap_window_t* window)
{
  if (!mGuiCreated || !OnMainThread() || !window || !window->api ||
      std::strcmp(window->api, CLAP_WINDOW_API_X11) != 0) {
    LogMisbehaviour("gui set_parent without create, off the main thread or with another window system");
    return false;
  }
  std::string error;
  UnwatchConnection(); // a second parent: the window is made anew, maybe on a new connection
  if (!mEditorWindow->Open(Editor(*this), window->x11, &error)) {
    LogMisbehaviour(error.c_str());
    return false;
  }
  WatchConnection();
  return true;
}

bool IEffectCLAP::GuiShow(bool visible)
{
  if (!mGuiCreated || !mEditorWindow->IsOpen() || !OnMainThread()) return false;
  mEditorWindow->Show(visible);
  return true;
}

void IEffectCLAP::OnTimer(clap_id timer)
{
  if (!mGuiCreated || timer != mTimer || !OnMainThread()) return;
  mEditorWindow->Idle();
}

void IEffectCLAP::OnFd(int fd, clap_posix_fd_flags_t flags)
{
  if (!mGuiCreated || !OnMainThread() || fd < 0 || fd != mWatchedFd) {
    LogMisbehaviour("on_fd for a descriptor not registered or off the main thread");
    return;
  }
  // A broken connection stays ready for good and the watch is level-triggered: stop watching rather
  // than spin the host's loop; the timer goes on as without the watch.
  if (flags & CLAP_POSIX_FD_ERROR) {
    UnwatchConnection();
    return;
  }
  if (flags & CLAP_POSIX_FD_READ) mEditorWindow->HandleEvents();
}

void IEffectCLAP::WatchConnection()
{
  const int fd = mEditorWindow ? mEditorWindow->ConnectionFd() : -1;
  if (!mHostFds || fd < 0 || mWatchedFd >= 0) return;
  // Refused: the timer alone still runs the editor, a tick later.
  if (mHostFds->register_fd(mInfo.mHost, fd, CLAP_POSIX_FD_READ)) mWatchedFd = fd;
}

void IEffectCLAP::UnwatchConnection()
{
  if (mWatchedFd < 0) return;
  mHostFds->unregister_fd(mInfo.mHost, mWatchedFd);
  mWatchedFd = -1;
}

unsigned long IEffectCLAP::GuiXWindow() const
{
  return mEditorWindow ? mEditorWindow->XWindow() : 0;
}
