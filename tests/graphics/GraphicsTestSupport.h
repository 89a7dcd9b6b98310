#pragma once
// Test doubles for the editor core: a plug-in that records what the editor tells the host, an IGraphics
// whose platform side records screen copies and answers prompts from a script, a control that records
// its draws, and striped images whose every pixel is known.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/IGraphicsOffscreen.h"
#include "graphics/IPopupMenu.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"
#include "tests/plugcore/HostlessPlug.h"

// Parameters: 0 "Level" double 0..100, 1 "Mode" enum A/B/C, 2 "Effect" bool, 3 "Trim" double -12..12 shown
// negated.
class GraphicsTestPlug : public HostlessPlug
{
public:
  GraphicsTestPlug()
      : HostlessPlug(4, "1-1 2-2", 0, "Test", "Test", "Test", 0x10000, 1, 2, 0, false, false, false, kAPIAU)
  {
    GetParam(0)->InitDouble("Level", 50.0, 0.0, 100.0, 0.1, "%");
    GetParam(1)->InitEnum("Mode", 1, 3);
    GetParam(1)->SetDisplayText(0, "A");
    GetParam(1)->SetDisplayText(1, "B");
    GetParam(1)->SetDisplayText(2, "C");
    GetParam(2)->InitBool("Effect", false);
    GetParam(3)->InitDouble("Trim", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(3)->mNegateDisplay = true;
  }

  void BeginInformHostOfParamChange(int idx) override { mEvents.push_back("B" + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double v) override { mInformed.push_back({idx, v}); }
  void EndInformHostOfParamChange(int idx) override { mEvents.push_back("E" + std::to_string(idx)); }
  void ResizeGraphics(int w, int h) override { mResized = {w, h}; }

  std::vector<std::string> mEvents;
  std::vector<std::pair<int, double>> mInformed;
  std::pair<int, int> mResized{0, 0};
};

// The pixel of a striped test image at (x, y): opaque, and different for every position of a 256 x 256 area.
inline unsigned int StripePixel(int x, int y)
{
  return 0xFFu | (x & 0xFF) << 8 | (y & 0xFF) << 16 | 0x5Au << 24;
}

inline Raster_MemBitmap* MakeStripedImage(int w, int h)
{
  auto* image = new Raster_MemBitmap(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image->getBits()[y * image->getRowSpan() + x] = StripePixel(x, y);
  return image;
}

class TestGraphics : public IGraphicsOffscreen
{
public:
  using IGraphicsOffscreen::IGraphicsOffscreen;

  bool DrawScreen(IRECT* r) override
  {
    mScreens.push_back(*r);
    return true;
  }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override
  {
    mMenuTexts.clear();
    for (int i = 0; i < menu->GetNItems(); ++i)
      mMenuTexts.push_back(std::string(menu->IsItemChecked(i) ? "*" : "") + menu->GetItemText(i));
    mMenuRect = *r;
    if (mMenuAnswer < 0) return nullptr;
    menu->SetChosenItemIdx(mMenuAnswer);
    return menu;
  }
  void CreateTextEntry(IControl*, IText*, IRECT* r, const char* text, IParam*) override
  {
    mEntryText = text;
    mEntryRect = *r;
  }
  // Images come from mImages (id -> size); an id not listed is missing.
  Raster_IBitmap* OSLoadBitmap(int id, const char*) override
  {
    ++mLoads;
    auto it = mImages.find(id);
    return it == mImages.end() ? nullptr : MakeStripedImage(it->second.first, it->second.second);
  }

  // Canvas pixel (x, y) as a raw word.
  unsigned int Pixel(int x, int y) { return GetCanvas()->getBits()[y * GetCanvas()->getRowSpan() + x]; }

  std::vector<IRECT> mScreens;
  std::vector<std::string> mMenuTexts;
  IRECT mMenuRect, mEntryRect;
  int mMenuAnswer = -1;
  std::string mEntryText;
  std::map<int, std::pair<int, int>> mImages;
  int mLoads = 0;
};

// Records its draws (into a shared log) and its events.
class RecordingControl : public IControl
{
public:
  RecordingControl(IEffectBase* plug, const IRECT& r, int paramIdx, std::vector<std::string>* log, const char* name)
      : IControl(plug, r, paramIdx), mLog(log), mName(name)
  {}
  bool Draw(IGraphics*) override
  {
    if (mLog) mLog->push_back(mName);
    return true;
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Note("down", x, y);
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Note("up", x, y); }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { Note("drag", dX, dY); }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { Note("dbl", x, y); }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { Note("wheel", d, 0); }
  void OnMouseOver(int x, int y, IMouseMod*) override { Note("over", x, y); }
  void OnMouseOut() override { Note("out", 0, 0); }
  bool OnKeyDown(int, int, int key) override
  {
    Note("key", key, 0);
    return true;
  }

  std::vector<std::string> mCalls;

private:
  void Note(const char* what, int a, int b)
  {
    mCalls.push_back(mName + ":" + what + "(" + std::to_string(a) + "," + std::to_string(b) + ")");
  }
  std::vector<std::string>* mLog;
  std::string mName;
};

// A plug-in with an attached editor, which it owns as in the product. Attach() again after adding
// controls pushes every parameter's value into them, as the product's construction does.
struct EditorFixture
{
  explicit EditorFixture(int w = 100, int h = 80) : graphics(new TestGraphics(&plug, w, h, 0)) { Attach(); }
  void Attach() { plug.AttachGraphics(graphics); }
  template <class C, class... A>
  C* Add(A&&... args)
  {
    auto* control = new C(&plug, std::forward<A>(args)...);
    graphics->AttachControl(control);
    return control;
  }

  GraphicsTestPlug plug;
  TestGraphics* graphics;
};
