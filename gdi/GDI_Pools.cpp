// Recycling pools for context and object records, and the layer's process-wide locks.

#include "gdi/GDI_Lock.h"
#include "gdi/GDI_Records.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
const int kMaxPooledContexts = 100;
const int kMaxPooledObjects = 200;

HDC__* m_ctxpool = nullptr;
int m_ctxpool_size = 0;
HGDIOBJ__* m_objpool = nullptr;
int m_objpool_size = 0;
bool m_pools_closed = false; // set once this library's statics go; records are then freed at once

// A mutex that is never destroyed (records may still be recycled by static destructors at exit) and
// lives in the library's own storage rather than on the heap, so unloading the library leaves nothing
// behind.
template <int Which>
Core_Mutex& ImmortalMutex()
{
  alignas(Core_Mutex) static unsigned char storage[sizeof(Core_Mutex)];
  static Core_Mutex* m = new (storage) Core_Mutex;
  return *m;
}

void FreeContextList(HDC__* ctx)
{
  while (ctx) {
    HDC__* next = ctx->mPoolNext;
    std::free(ctx);
    ctx = next;
  }
}

void FreeObjectList(HGDIOBJ__* obj)
{
  while (obj) {
    HGDIOBJ__* next = obj->mPoolNext;
    std::free(obj);
    obj = next;
  }
}

// When the library's statics are destroyed (process exit, or a plug-in bundle unloaded by its host,
// which takes these pool heads with it), the pooled records go back to the heap.
struct PoolDrain
{
  ~PoolDrain()
  {
    HDC__* contexts;
    HGDIOBJ__* objects;
    {
      GDI_Lock lock(GDI_PoolMutex());
      m_pools_closed = true;
      contexts = m_ctxpool;
      objects = m_objpool;
      m_ctxpool = nullptr;
      m_objpool = nullptr;
      m_ctxpool_size = m_objpool_size = 0;
    }
    FreeContextList(contexts);
    FreeObjectList(objects);
  }
} sPoolDrain;
} // namespace

Core_Mutex& GDI_PoolMutex()
{
  return ImmortalMutex<0>();
}

Core_Mutex& GDI_FontNameCacheMutex()
{
  return ImmortalMutex<1>();
}

Core_Mutex& GDI_FreeTypeMutex()
{
  return ImmortalMutex<2>();
}

HDC__* GDI_GDP_CTX_NEW()
{
  HDC__* ctx = nullptr;
  {
    GDI_Lock lock(GDI_PoolMutex());
    if (m_ctxpool) {
      ctx = m_ctxpool;
      m_ctxpool = ctx->mPoolNext;
      m_ctxpool_size--;
    }
  }
  if (!ctx) ctx = static_cast<HDC__*>(std::malloc(sizeof(HDC__)));
  if (ctx) std::memset(ctx, 0, sizeof(HDC__));
  return ctx;
}

HGDIOBJ__* GDP_OBJECT_NEW()
{
  HGDIOBJ__* obj = nullptr;
  {
    GDI_Lock lock(GDI_PoolMutex());
    if (m_objpool) {
      obj = m_objpool;
      m_objpool = obj->mPoolNext;
      m_objpool_size--;
    }
  }
  if (!obj) obj = static_cast<HGDIOBJ__*>(std::malloc(sizeof(HGDIOBJ__)));
  if (obj) std::memset(obj, 0, sizeof(HGDIOBJ__));
  return obj;
}

void GDI_RecycleContext(HDC__* ctx)
{
  if (!ctx) return;
  std::memset(ctx, 0, sizeof(HDC__));
  ctx->mInPool = 1;
  {
    GDI_Lock lock(GDI_PoolMutex());
    if (!m_pools_closed && m_ctxpool_size < kMaxPooledContexts) {
      ctx->mPoolNext = m_ctxpool;
      m_ctxpool = ctx;
      m_ctxpool_size++;
      return;
    }
  }
  std::free(ctx);
}

void GDI_RecycleObject(HGDIOBJ__* obj)
{
  if (!obj) return;
  std::memset(obj, 0, sizeof(HGDIOBJ__));
  obj->mInPool = 1;
  {
    GDI_Lock lock(GDI_PoolMutex());
    if (!m_pools_closed && m_objpool_size < kMaxPooledObjects) {
      obj->mPoolNext = m_objpool;
      m_objpool = obj;
      m_objpool_size++;
      return;
    }
  }
  std::free(obj);
}

int GDI_ContextPoolSize()
{
  GDI_Lock lock(GDI_PoolMutex());
  return m_ctxpool_size;
}

int GDI_ObjectPoolSize()
{
  GDI_Lock lock(GDI_PoolMutex());
  return m_objpool_size;
}
