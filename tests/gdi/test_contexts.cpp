// Memory contexts, the context pool and wrapped surfaces.

#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"
#include "tests/gdi/GdiTestUtil.h"

#include <climits>
#include <cstdint>
#include <thread>
#include <vector>

TEST(GdiContext, MemContextLayoutIsXRGBTopDownAligned)
{
  MemContext m(4, 2);
  ASSERT_NE(m.dc(), nullptr);
  void* fb = GDI_GetCtxFrameBuffer(m.dc());
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ((uintptr_t)fb % 64, 0u);
  EXPECT_EQ(GDI_GetCtxRowSpan(m.dc()), 4);
  EXPECT_NE(GDI_GetCtxGC(m.dc()), nullptr);
  EXPECT_EQ(m.countTouched(), 0); // starts zeroed

  // A red pixel at (0, 0): byte 1 is red. Pixel (3, 1) is 4 * (3 + 1 * 4) = 28 bytes in.
  GDI_SetPixel(m.dc(), 0, 0, GDI_RGB(255, 0, 0));
  GDI_SetPixel(m.dc(), 3, 1, GDI_RGB(0x11, 0x22, 0x33));
  const unsigned char* b = static_cast<unsigned char*>(fb);
  EXPECT_EQ(b[0], 255);
  EXPECT_EQ(b[1], 255);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(b[3], 0);
  EXPECT_EQ(b[28 + 1], 0x11);
  EXPECT_EQ(b[28 + 2], 0x22);
  EXPECT_EQ(b[28 + 3], 0x33);
  EXPECT_EQ(m.countTouched(), 2);
}

TEST(GdiContext, BadSizesGiveNoContext)
{
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 0, 10), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 10, 0), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, -4, 2), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, INT_MAX, INT_MAX), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 1 << 16, 1 << 16), nullptr); // 16 GB
  EXPECT_EQ(GDI_GetCtxFrameBuffer(nullptr), nullptr);
  EXPECT_EQ(GDI_GetCtxGC(nullptr), nullptr);
  EXPECT_EQ(GDI_GetCtxRowSpan(nullptr), 0);
  GDI_DeleteGfxContext(nullptr);
}

TEST(GdiContext, DeletedContextIsPooledAndIgnored)
{
  HDC__* dc = GDI_CreateMemContext(nullptr, 8, 8);
  ASSERT_NE(dc, nullptr);
  SetTextColor(dc, 0x123456);
  SetBkMode(dc, OPAQUE);
  const int pooled = GDI_ContextPoolSize();
  GDI_DeleteGfxContext(dc);
  EXPECT_EQ(GDI_ContextPoolSize(), pooled + 1);
  GDI_DeleteGfxContext(dc); // second delete: ignored
  EXPECT_EQ(GDI_ContextPoolSize(), pooled + 1);

  // Every function treats it as no context.
  EXPECT_EQ(GDI_GetCtxFrameBuffer(dc), nullptr);
  EXPECT_EQ(GetTextColor(dc), 0);
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), nullptr);
  RECT r = {0, 0, 10, 10};
  EXPECT_EQ(GDI_DrawText(dc, "x", -1, &r, TEXT_CALCRECT), 0);

  // The next record comes from the pool, all zeros again.
  HDC__* again = GDI_CreateMemContext(nullptr, 2, 2);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GDI_ContextPoolSize(), pooled);
  EXPECT_EQ(GetTextColor(again), 0);
  EXPECT_EQ(again->mBkMode, 0);
  EXPECT_EQ(again->mCurFont, nullptr);
  GDI_DeleteGfxContext(again);
}

TEST(GdiContext, PoolsAreBounded)
{
  std::vector<HDC__*> contexts;
  for (int i = 0; i < 150; i++) contexts.push_back(GDI_GDP_CTX_NEW());
  for (HDC__* c : contexts) GDI_DeleteGfxContext(c);
  EXPECT_EQ(GDI_ContextPoolSize(), 100);

  std::vector<HGDIOBJ__*> objects;
  for (int i = 0; i < 250; i++) objects.push_back(CreateSolidBrush(i));
  for (HGDIOBJ__* o : objects) DeleteObject(o);
  EXPECT_EQ(GDI_ObjectPoolSize(), 200);

  // Leave room in both pools, so that records other tests delete are pooled (and their stale
  // handles stay readable) rather than freed. The parked records stay reachable until exit.
  static std::vector<void*>* parked = new std::vector<void*>;
  for (int i = 0; i < 50; i++) {
    parked->push_back(GDI_GDP_CTX_NEW());
    parked->push_back(GDP_OBJECT_NEW());
  }
  EXPECT_EQ(GDI_ContextPoolSize(), 50);
  EXPECT_EQ(GDI_ObjectPoolSize(), 150);
}

TEST(GdiContext, WrappedSurfaceDrawsIntoCallerPixels)
{
  std::vector<unsigned char> pixels(6 * 3 * 4, 0);
  GDI_Surface surface(pixels.data(), 6, 3, 6 * 4);
  HDC__* dc = GDI_CreateGfxContext(&surface);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GDI_GetCtxGC(dc), &surface);
  EXPECT_EQ(GDI_GetCtxFrameBuffer(dc), nullptr); // only memory contexts expose a frame buffer
  GDI_SetPixel(dc, 5, 2, GDI_RGB(1, 2, 3));
  EXPECT_EQ(pixels[4 * (5 + 2 * 6) + 3], 3);
  GDI_DeleteGfxContext(dc); // must not free the caller's pixels
  EXPECT_EQ(pixels[4 * (5 + 2 * 6) + 1], 1);
  EXPECT_EQ(GDI_CreateGfxContext(nullptr), nullptr);
}

TEST(GdiContext, PoolsSurviveConcurrentUse)
{
  auto worker = [] {
    for (int i = 0; i < 500; i++) {
      HDC__* dc = GDI_CreateMemContext(nullptr, 4, 4);
      HGDIOBJ__* pen = CreatePen(PS_SOLID, 1, i);
      HGDIOBJ__* brush = CreateSolidBrush(i);
      ASSERT_NE(dc, nullptr);
      SelectObject(dc, pen);
      SelectObject(dc, brush);
      Rectangle(dc, 0, 0, 4, 4);
      ASSERT_EQ(GDI_GetCtxRowSpan(dc), 4);
      DeleteObject(pen);
      DeleteObject(brush);
      GDI_DeleteGfxContext(dc);
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  EXPECT_LE(GDI_ContextPoolSize(), 100);
  EXPECT_LE(GDI_ObjectPoolSize(), 200);
}
