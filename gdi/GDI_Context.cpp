// Memory and wrapped contexts: creation, frame-buffer access and deletion.

#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
// Frames above 2 GB are refused: nothing here needs one, and it keeps every byte offset in range.
const unsigned long long kMaxFrameBytes = 0x7FFFFFFFull - 63;
} // namespace

HDC__* GDI_CreateMemContext(HDC__* ref, int w, int h)
{
  (void)ref;
  if (w <= 0 || h <= 0) return nullptr;
  const unsigned long long bytes = (unsigned long long)w * 4ull * (unsigned long long)h;
  if (bytes > kMaxFrameBytes) return nullptr;

  void* buffer = std::calloc((size_t)bytes + 63, 1);
  if (!buffer) return nullptr;
  unsigned char* aligned = reinterpret_cast<unsigned char*>(((uintptr_t)buffer + 63) & ~(uintptr_t)63);

  GDI_Surface* surface = new (std::nothrow) GDI_Surface(aligned, w, h, w * 4);
  HDC__* ctx = surface ? GDI_GDP_CTX_NEW() : nullptr;
  if (!ctx) {
    delete surface;
    std::free(buffer);
    return nullptr;
  }
  ctx->mSurface = surface;
  ctx->mOwnedBuffer = buffer;
  ctx->mTextColor = 0;
  ctx->mTextColorObj = GDI_MakeColor(0, 1.0f);
  return ctx;
}

void* GDI_GetCtxFrameBuffer(HDC__* ctx)
{
  if (!GDI_IsLiveContext(ctx) || !ctx->mOwnedBuffer || !ctx->mSurface) return nullptr;
  return ctx->mSurface->mBits;
}

int GDI_GetCtxRowSpan(HDC__* ctx)
{
  if (!GDI_IsLiveContext(ctx) || !ctx->mOwnedBuffer || !ctx->mSurface) return 0;
  return ctx->mSurface->mRowBytes / 4;
}

void* GDI_GetCtxGC(HDC__* ctx)
{
  if (!GDI_IsLiveContext(ctx)) return nullptr;
  return ctx->mSurface;
}

HDC__* GDI_CreateGfxContext(void* platformGraphicsContext)
{
  if (!platformGraphicsContext) return nullptr;
  HDC__* ctx = GDI_GDP_CTX_NEW();
  if (ctx) ctx->mSurface = static_cast<GDI_Surface*>(platformGraphicsContext);
  return ctx;
}

void GDI_DeleteGfxContext(HDC__* ctx)
{
  if (!GDI_IsLiveContext(ctx)) return;
  if (ctx->mOwnedBuffer) {
    delete ctx->mSurface;
    std::free(ctx->mOwnedBuffer);
  }
  GDI_RecycleContext(ctx);
}

GDI_Surface* GDI_DrawableSurface(HDC__* ctx)
{
  if (!GDI_IsLiveContext(ctx) || !ctx->mSurface || !ctx->mSurface->mBits) return nullptr;
  return ctx->mSurface;
}
