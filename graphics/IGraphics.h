#pragma once
// IGraphics: the platform-neutral core of the plug-in's editor.
//
// It owns the ordered list of controls (index 0 is the background; later controls lie above earlier ones),
// the off-screen canvas they draw into, the mouse-capture and hover state, and the links between controls
// and the plug-in's parameters. The redraw timer asks IsDirty for the stale area and Draw repaints it into
// the canvas and hands it to the platform (DrawScreen). Mouse and key events go to the control under the
// pointer; prompts open a popup menu or a text entry for a parameter.
//
// IGraphics is abstract: a platform layer derives from it and supplies the window, the screen copy, image
// loading and the native prompts (the pure virtual operations). The plug-in takes ownership through
// AttachGraphics.
//
// Threads. Everything runs on the editor's user-interface thread (the one that constructed it, or the one
// that last called SetUIThread) except SetParameterFromPlug and SetControlFromPlug, which any thread may
// call while holding the plug-in's mutex. Called on another thread they only post the value (latest value
// wins, no allocation, no lock, no drawing); IsDirty applies the posted values first, in index order,
// through the same code as a call on the user-interface thread. A value set on the user-interface thread
// (by the plug-in or by the user) drops what was posted for the same parameter or control before it.

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "containers/Core_PtrList.h"
#include "containers/Core_String.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsParamMailbox.h"
#include "graphics/IGraphicsTypes.h"
#include "plugcore/IEditorDelegate.h"

class IEffectBase;
class IParam;
class IPopupMenu;
class Raster_IBitmap;
class Raster_IFont;
class Raster_MemBitmap;
class Raster_SysBitmap;

class IGraphics : public IEditorDelegate
{
public:
  static constexpr int kDefaultFrameRate = 25;

  // A frame rate of 0 or below selects kDefaultFrameRate. Creates neither canvas nor window.
  IGraphics(IEffectBase* plug, int width, int height, int frameRate = 0);
  ~IGraphics() override;

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Virtual operations, in slot order (pure ones are the platform's) ----

  virtual bool DrawScreen(IRECT* rect) = 0;
  virtual bool MeasureIText(IText* text, char* str, IRECT* rect);
  virtual void ForceEndUserEdit() = 0;
  // Deletes every control (the plug-in attaches them again), rebuilds the canvas and tells the plug-in.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen();
  virtual const char* GetGUIAPI();
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu at rect; returns the menu the chosen item belongs to, or null when nothing was chosen.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens an asynchronous text entry; its end calls SetFromStringAfterPrompt (or the control's
  // TextFromTextEntry when there is no parameter).
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) = 0;
  virtual void HostPath(Core_String* path) = 0;
  virtual void PluginPath(Core_String* path) = 0;
  virtual void DesktopPath(Core_String* path) = 0;
  virtual void AppSupportPath(Core_String* path) = 0;
  void PromptForFile(Core_String* file, EFileAction action, Core_String* dir, char* extensions) override = 0;
  virtual bool PromptForColor(IColor* color, char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
                       const char* errMsg = nullptr) = 0;
  virtual void* OpenWindow(void* parentView) = 0;
  virtual void* OpenWindow(void* window, void* control, short leftOffset, short topOffset);
  virtual void AttachSubWindow(void* parentView);
  virtual void RemoveSubWindow();
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual void HideMouseCursor();
  virtual void ShowMouseCursor();
  virtual void UpdateTooltips() = 0;
  // The image id/name decoded, or null when it cannot be found or read.
  virtual Raster_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // Called after SetScale changed the scale, with the canvas already rebuilt: a platform resizes its
  // view to ScaledWidth() x ScaledHeight() here.
  virtual void OnScaleChanged();

  // ---- Construction, threads ----

  // Creates the canvas (width x height) and an empty scratch bitmap, and sizes the cross-thread slots from
  // the plug-in's parameter count and the control count.
  void PrepDraw() override;
  // Makes the calling thread the user-interface thread (a platform calls it when it opens a window).
  void SetUIThread();
  bool IsUIThread() const;

  // ---- Display scale ----
  //
  // The layout, the controls, their values and every editor call keep editor pixels; only the canvas and
  // what is drawn into it are device pixels, ToDevice(editor) of them. At a scale other than 1 bitmaps come
  // from the nearest larger image set (name@2x.png, name@3x.png beside name.png) reduced to the scale, and
  // text is laid out at the scaled size. A platform maps its view's pixels back with FromDevice.

  static constexpr double kMinScale = 1.0;
  static constexpr double kMaxScale = 3.0;
  // Sets the display scale, held in kMinScale..kMaxScale (a value that is not a number counts as 1).
  // When it changes and the canvas exists, the canvas is rebuilt at the new size, every control is marked
  // dirty and OnScaleChanged tells the platform. The entry point for every host's scale factor.
  void SetScale(double scale);
  double GetScale() const { return mScale; }
  int ScaledWidth() const { return ToDevice(mWidth); }
  int ScaledHeight() const { return ToDevice(mHeight); }
  // Editor coordinate -> device pixel edge: floor(v * scale + 0.5); the identity at scale 1.
  int ToDevice(int v) const;
  IRECT ToDevice(const IRECT& r) const;
  // Device pixel -> the editor pixel it lies in: the largest v with ToDevice(v) <= px, so a device pixel
  // lies in ToDevice(r) exactly when its editor pixel lies in r. The identity at scale 1.
  int FromDevice(int px) const;
  // The editor rectangle covering a device rectangle.
  IRECT FromDevice(const IRECT& r) const;

  // ---- Attaching controls (the editor owns every control passed in; null is ignored) ----

  // Returns the control's index, or -1 for a null control.
  int AttachControl(IControl* control);
  // Inserts an image (1 frame, copied without blending) as control 0.
  void AttachBackground(int id, const char* name);
  // Inserts a panel covering the editor, filled with color, as control 0.
  void AttachPanelBackground(const IColor* color);
  // The key catcher gets the keys nobody else takes. It replaces (and deletes) the previous one.
  void AttachKeyCatcher(IControl* control);

  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  // Sets the clamp bounds of the controls bound to paramIdx; real bounds are converted through the
  // parameter. Control values are clamped at their next SetDirty.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);

  // ---- Parameter linkage ----

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  void SetControlFromPlug(int controlIdx, double normalizedValue) override;
  // As if the user had moved the controls bound to paramIdx (the value also goes to the plug-in).
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Forgets a value for paramIdx that another thread posted and the editor has not applied yet: a value
  // the user-interface thread sets (the plug-in's or the user's) is newer. User-interface thread only.
  void DropPostedParam(int paramIdx) { mPostedParams.Drop(paramIdx); }
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);

  // ---- Drawing cycle ----

  // Applies values posted from other threads, then unions the drawing rectangles of the dirty controls
  // into *rect (which the caller passes empty). True when any control is dirty.
  bool IsDirty(IRECT* rect);
  // Draws the controls that rect touches into the canvas and calls DrawScreen(rect).
  bool Draw(IRECT* rect);
  void OnGUIIdle();

  // ---- Mouse and keys (editor pixels) ----

  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  // Ends a press still in progress as if the button had gone up where the mouse was last seen: the
  // capturing control gets its release and, when it is bound, the host the end of the gesture. For a
  // platform whose view goes away during a press. Nothing happens without a capture.
  void EndMousePress();
  // The capturing control, else the topmost visible, not grayed control hit at (x, y); -1 for none.
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ---- Prompts ----

  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  // ---- Bitmaps (the images belong to the process-wide BitmapStorage) ----

  // The same id always yields the same image; a missing image becomes an empty 0 x 0 bitmap.
  IBitmap LoadIBitmap(int id, const char* name, int nFrames = 1, bool framesHorizontal = false);
  void RetainBitmap(IBitmap* bitmap);
  // Deletes the image and clears bitmap->mImage; an image the cache does not hold is left alone.
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* bitmap, int w, int h);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* rect);
  unsigned int* GetBits();

  // ---- Bitmap drawing (clipped to the current draw pass's rectangle) ----

  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend = nullptr);
  // state counts frames from 1; dest is one frame large.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int state = 1, const IChannelBlend* blend = nullptr);
  // angle in radians; not clipped to the draw pass's rectangle.
  bool DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle, int yOffsetZeroDeg,
                         const IChannelBlend* blend = nullptr);
  // Composes base, mask and top (equal sizes) turned by angleDegrees, then blits the result at (x, y).
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                       const IChannelBlend* blend = nullptr);

  // ---- Pixels and fills (not clipped to the draw pass; the raster library clips to the canvas) ----

  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Writes the pixel word straight into the canvas; points outside it are ignored.
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);

  // ---- Lines and shapes (not clipped to the draw pass; the raster library clips to the canvas) ----
  // Lines use the line-style blend (the colour's alpha is not a weight), shapes the fill-style blend.
  // Angles are radians, 0 pointing up and growing clockwise. Non-finite coordinates draw nothing.

  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend = nullptr,
                bool antiAlias = false);
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  // At x = left + (int)(width * f), f held in 0..1.
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float f);
  // At y = bottom - (int)(height * f), f held in 0..1: 0 is the bottom edge.
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float f);
  // The outline's right and bottom edges lie on rect's right and bottom.
  bool DrawRect(const IColor* color, IRECT* rect);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  // Three rectangles and four corner circles of radius cornerRadius.
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend = nullptr);

  // ---- Text (fonts belong to the process-wide FontStorage) ----

  // The style's font, found in the cache or made (its line height becomes the style's pixel size) and
  // stored in text->mCachedFont; null when the platform cannot make it.
  Raster_IFont* CacheFont(IText* text);
  // Draws str (UTF-8) in rect with the style's alignment, not clipped to rect. With measure, draws nothing
  // and sets rect to the text's size placed by the alignment. An empty string is done at once (true); false
  // when there is no font.
  bool DrawIText(IText* text, char* str, IRECT* rect, bool measure = false);

  // ---- Accessors ----

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFrameRate; }
  IEffectBase* GetPlug() const { return mPlug; }
  Raster_SysBitmap* GetCanvas() const { return mCanvas.get(); }
  int NControls() const { return mControls.GetSize(); }
  // Null outside the list.
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  IControl* GetKeyCatcher() const { return mKeyCatcher.get(); }
  const IRECT& GetClipRect() const { return mClipRect; }
  int GetCaptureIdx() const { return mCaptureIdx; }
  int GetHoverIdx() const { return mHoverIdx; }
  bool GetStrictDrawing() const { return mStrictDrawing; }
  bool GetTrackHover() const { return mTrackHover; }
  void SetTrackHover(bool track) { mTrackHover = track; }
  bool TooltipsEnabled() const { return mTooltipsEnabled; }
  void EnableTooltips(bool enable) { mTooltipsEnabled = enable; }

protected:
  // The control to receive a press: the topmost not hidden, not grayed control hit, -1 for none.
  int HitControlIdx(int x, int y) { return GetMouseControlIdx(x, y, false); }
  void ApplyPostedValues();
  void SetParameterFromPlugNow(int paramIdx, double normalizedValue);
  void SetControlFromPlugNow(int controlIdx, double normalizedValue);
  void DeleteControls();
  void ReserveControlSlots();
  // The image to draw for bitmap at the current scale (the bitmap's own at scale 1), and the device
  // pixels per editor pixel across and down it.
  Raster_IBitmap* ScaledImage(const IBitmap* bitmap, double* scaleX, double* scaleY);
  // The scaled set for one image: a larger set reduced (or, without one, the image itself enlarged)
  // frame by frame to the current scale. The caller owns the result; null for an empty image.
  Raster_IBitmap* MakeScaledImage(const IBitmap* bitmap);
  // Blits image (srcX, srcY onwards) into the device rectangle dest of the canvas, clipped to the draw
  // pass's rectangle in device pixels.
  bool BlitToCanvas(Raster_IBitmap* image, const IRECT& dest, int srcX, int srcY, const IChannelBlend* blend);

  Core_PtrList<IControl> mControls; // owned, in attach order
  IEffectBase* mPlug;
  IRECT mClipRect;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;
  std::unique_ptr<Raster_SysBitmap> mCanvas;
  std::unique_ptr<Raster_MemBitmap> mScratch;
  int mWidth, mHeight;
  int mFrameRate;
  int mCaptureIdx = -1;
  int mHoverIdx = -1;
  int mLastMouseX = 0, mLastMouseY = 0;
  int mLastClickedParam = -1;
  double mScale = 1.0;
  bool mTrackHover = false;
  bool mStrictDrawing = true;
  bool mTooltipsEnabled = false;
  std::unique_ptr<IControl> mKeyCatcher;
  // Scaled copies of images the cache does not own, kept until the next Draw.
  std::vector<std::unique_ptr<Raster_IBitmap>> mUncachedScaled;

private:
  std::atomic<std::thread::id> mUIThread;
  IGraphicsParamMailbox mPostedParams;   // normalized values, one slot per parameter
  IGraphicsParamMailbox mPostedControls; // normalized values, one slot per control
};

// Text from a bitmap font whose frame k shows character 32 + k: cells of charWidth x charHeight advancing
// by charWidth + charSpacing, one character's margin on each side, centred when style's alignment is
// kAlignCenter (else left). Characters the font has no frame for are left blank.
void DrawBitmapedText(IGraphics* graphics, IBitmap* glyphs, IRECT* rect, IText* style, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charSpacing);
