// EditorHost: opens a component's editor the way a Mac host does, and drives it.
//
// Opening: the unit's Cocoa-view property names a bundle and a factory class; the class is looked up
// in that bundle by name, asked for a view of the unit, and the view is placed in a window of its
// own. Nothing here knows the plug-in's classes. Events go in through the window system's own entry
// points at EDITOR coordinates (origin top left, y down): the host accounts for the view's mouse
// offsets (the view reports a pointer 2 pixels left of and 3 pixels above where it is), so an event
// for editor pixel (x, y) reaches the editor at (x, y). Time passes in redraw ticks on the run loop's
// clock; what the window shows comes back as a bitmap.
//
// Main thread only. Close (or the destructor) removes the view the way a host does and closes the
// window; the unit itself belongs to the caller.
#pragma once

#include <AudioUnit/AudioUnit.h>

#include <memory>
#include <string>

namespace BrindleHost {
class Mouse;
}
class NSView;
class NSWindow;
class Raster_MemBitmap;

// The unit's editor view, made the way a host makes it (the Cocoa-view property's bundle and factory
// class), retained for the caller; null with a one-line message when there is none.
NSView* MakeUnitEditorView(AudioUnit unit, std::string& error);

class EditorHost
{
public:
  static constexpr double kTick = 1.0 / 25.0; // the editor's default redraw interval

  EditorHost();
  ~EditorHost();
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // False with a one-line message when the unit offers no view or the view cannot be made. A scale
  // other than 1 sizes the view, as made, that many times larger before it goes into the window (the
  // way a host on a high-density screen asks for a larger editor); the view may settle on another size,
  // and Width and Height give the one it took. Events and snapshots are then in the view's pixels.
  bool Open(AudioUnit unit, std::string& error, double scale = 1.0);
  void Close();
  bool IsOpen() const { return mView != nullptr; }
  NSWindow* Window() const { return mWindow; }
  NSView* View() const { return mView; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // View pixels per pixel of the view as the plug-in made it (1 unless Open's scale took).
  double Scale() const { return mMadeWidth > 0 ? static_cast<double>(mWidth) / mMadeWidth : 1.0; }

  // Modifier flags are AppKit's (shift 1 << 17, control 1 << 18, option 1 << 19, command 1 << 20).
  void Click(int x, int y, unsigned long flags = 0);
  void DoubleClick(int x, int y);
  void RightClick(int x, int y);
  // Press at (x, y), move by (dx, dy) in steps of at most 4 pixels, release. A drag longer than
  // kMaxDragSteps such steps moves in kMaxDragSteps equal ones.
  static constexpr int kMaxDragSteps = 256;
  void Drag(int x, int y, int dx, int dy, unsigned long flags = 0);
  void Press(int x, int y, unsigned long flags = 0);
  void Release();
  void Wheel(int x, int y, double deltaY, unsigned long flags = 0);
  // A key by name: one printable character, or space, left, right, up, down, return, tab.
  bool Key(const std::string& name, std::string& error);
  // Lets the redraw timer run n times.
  void Ticks(int n);

  // What the window shows (opaque pixels of the view's size); false when nothing is open.
  bool Snapshot(Raster_MemBitmap& out) const;
  // Bytes the last repaint wrote into the window, and all repaints since Open.
  unsigned long long BytesLastRepaint() const;
  unsigned long long BytesSinceOpen() const;

private:
  struct Point
  {
    double x, y;
  };
  Point WindowPoint(int x, int y) const;

  NSWindow* mWindow = nullptr; // owned
  NSView* mView = nullptr;     // retained while open
  std::unique_ptr<BrindleHost::Mouse> mMouse;
  int mWidth = 0, mHeight = 0;
  int mMadeWidth = 0;
  unsigned long long mBytesAtOpen = 0;
};
