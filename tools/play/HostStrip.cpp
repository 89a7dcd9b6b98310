#include "tools/play/HostStrip.h"

#include "gdi/gdi.h"

#include <CoreGraphics/CoreGraphics.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kPanel = GDI_RGB(38, 36, 34);
constexpr int kButton = GDI_RGB(72, 68, 64);
constexpr int kText = GDI_RGB(230, 224, 214);
constexpr int kDim = GDI_RGB(150, 144, 136);
constexpr int kMeterBack = GDI_RGB(20, 20, 20);
constexpr int kMeterGood = GDI_RGB(96, 190, 90);
constexpr int kMeterHot = GDI_RGB(226, 70, 50);
constexpr float kFloorDb = -60.0f;

void Fill(HDC__* dc, RECT r, int colour)
{
  HGDIOBJ__* brush = CreateSolidBrush(colour);
  GDI_FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Text(HDC__* dc, RECT r, const std::string& text, int colour, int format)
{
  SetTextColor(dc, colour);
  GDI_DrawText(dc, text.c_str(), -1, &r, format | TEXT_SINGLELINE | TEXT_VCENTER | TEXT_NOPREFIX);
}

float Decibels(float linear)
{
  return linear > 0.0f ? std::max(kFloorDb, 20.0f * std::log10(linear)) : kFloorDb;
}

// A horizontal meter: green up to -6 dB, red above; the label on its left.
void Meter(HDC__* dc, int top, const char* label, float db)
{
  Text(dc, {4, top, 30, top + 12}, label, kDim, 0);
  const RECT back = {30, top + 3, 200, top + 10};
  Fill(dc, back, kMeterBack);
  const int width = back.right - back.left;
  const int lit = static_cast<int>(std::lround(width * (db - kFloorDb) / -kFloorDb));
  const int hot = static_cast<int>(std::lround(width * (-6.0f - kFloorDb) / -kFloorDb));
  if (lit > 0) Fill(dc, {back.left, back.top, back.left + std::min(lit, hot), back.bottom}, kMeterGood);
  if (lit > hot) Fill(dc, {back.left + hot, back.top, back.left + lit, back.bottom}, kMeterHot);
}

} // namespace

void HostStrip::Update(const StripStatus& status)
{
  mStatus = status;
  // Meters rise at once and fall by 1.5 dB an update, so short peaks stay readable.
  mInputMeter = std::max(Decibels(status.inputPeak), mInputMeter - 1.5f);
  mOutputMeter = std::max(Decibels(status.outputPeak), mOutputMeter - 1.5f);
  setNeedsDisplay(YES);
}

void HostStrip::drawRect(NSRect)
{
  NSGraphicsContext* current = NSGraphicsContext::currentContext();
  if (!current) return;
  const NSRect b = bounds();
  const int w = static_cast<int>(std::ceil(b.size.width)), h = static_cast<int>(std::ceil(b.size.height));
  if (w <= 0 || h <= 0) return;
  HDC__* dc = GDI_CreateMemContext(nullptr, w, h);
  if (!dc) return;
  HGDIOBJ__* font = CreateFont(11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans");
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);

  Fill(dc, {0, 0, w, h}, kPanel);
  Fill(dc, {0, 0, w, 1}, GDI_RGB(0, 0, 0));
  for (const auto& [left, label] : {std::pair<int, const char*>{kOpenLeft, "Open"}, {kSaveLeft, "Save"}}) {
    const RECT r = {left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight};
    Fill(dc, r, kButton);
    Text(dc, r, label, kText, TEXT_CENTER);
  }
  char load[64];
  std::snprintf(load, sizeof load, "CPU %.0f%%  xruns %ld", static_cast<double>(mStatus.cpuLoad), mStatus.xruns);
  Text(dc, {96, kButtonTop, w - 4, kButtonTop + kButtonHeight}, load, mStatus.xruns ? kMeterHot : kText, TEXT_RIGHT);
  Meter(dc, 27, "in", mInputMeter);
  Meter(dc, 40, "out", mOutputMeter);
  Text(dc, {4, 53, w - 4, h - 1}, mStatus.news, kDim, 0);

  SelectObject(dc, reinterpret_cast<HGDIOBJ__*>(3));
  DeleteObject(font);
  // The memory context's pixels are bytes X, R, G, B: no alpha, default byte order.
  CGContextRef picture =
      CGBitmapContextCreate(GDI_GetCtxFrameBuffer(dc), static_cast<size_t>(w), static_cast<size_t>(h), 8,
                            static_cast<size_t>(GDI_GetCtxRowSpan(dc)) * 4, nullptr, kCGImageAlphaNoneSkipFirst);
  CGImageRef image = CGBitmapContextCreateImage(picture);
  CGContextDrawImage(static_cast<CGContextRef>(current->graphicsPort()), CGRectMake(0, 0, w, h), image);
  CGImageRelease(image);
  CGContextRelease(picture);
  GDI_DeleteGfxContext(dc);
}

void HostStrip::mouseDown(NSEvent* event)
{
  // View coordinates grow upwards; the strip is laid out from its top.
  const NSPoint p = convertPoint(event->locationInWindow(), nil);
  const int x = static_cast<int>(p.x), y = static_cast<int>(bounds().size.height - p.y);
  if (y < kButtonTop || y >= kButtonTop + kButtonHeight) return;
  if (x >= kOpenLeft && x < kOpenLeft + kButtonWidth && onOpen)
    onOpen();
  else if (x >= kSaveLeft && x < kSaveLeft + kButtonWidth && onSave)
    onSave();
}
