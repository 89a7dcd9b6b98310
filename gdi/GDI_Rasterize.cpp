// Scan conversion: exact-area coverage accumulation over bands of rows, non-zero winding.

#include "gdi/GDI_Paint.h"
#include "gdi/GDI_Path.h"
#include "gdi/GDI_Surface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// Cells of the accumulation buffer per band; bands keep memory bounded for large surfaces.
const long kBandCells = 1 << 18;

struct Edge
{
  double x0, y0, x1, y1;
};

// Adds the signed area a segment covers to the cells of the rows it crosses. Coordinates are local
// to the band: 0 <= x <= width, 0 <= y <= rows. stride is width + 2.
void Accumulate(float* acc, int stride, double x0, double y0, double x1, double y1)
{
  if (y0 == y1) return;
  double dir = 1.0;
  if (y0 > y1) {
    dir = -1.0;
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  const double dxdy = (x1 - x0) / (y1 - y0);
  double x = x0;
  const int ystart = (int)std::floor(y0);
  const int yend = (int)std::ceil(y1);
  for (int y = ystart; y < yend; y++) {
    const double dy = std::min(y + 1.0, y1) - std::max((double)y, y0);
    const double xnext = x + dxdy * dy;
    const double d = dy * dir;
    const double xa = std::min(x, xnext), xb = std::max(x, xnext);
    const double xaf = std::floor(xa);
    const int xai = (int)xaf;
    const double xbc = std::ceil(xb);
    const int xbi = (int)xbc;
    float* row = acc + (long)y * stride;
    if (xbi <= xai + 1) {
      const double xmf = 0.5 * (x + xnext) - xaf;
      row[xai] += (float)(d - d * xmf);
      row[xai + 1] += (float)(d * xmf);
    } else {
      const double s = 1.0 / (xb - xa);
      const double x0f = xa - xaf;
      const double a0 = 0.5 * s * (1.0 - x0f) * (1.0 - x0f);
      const double x1f = xb - xbc + 1.0;
      const double am = 0.5 * s * x1f * x1f;
      row[xai] += (float)(d * a0);
      if (xbi == xai + 2)
        row[xai + 1] += (float)(d * (1.0 - a0 - am));
      else {
        const double a1 = s * (1.5 - x0f);
        row[xai + 1] += (float)(d * (a1 - a0));
        for (int xi = xai + 2; xi < xbi - 1; xi++) row[xi] += (float)(d * s);
        const double a2 = a1 + (xbi - xai - 3) * s;
        row[xbi - 1] += (float)(d * (1.0 - a2 - am));
      }
      row[xbi] += (float)(d * am);
    }
    x = xnext;
  }
}

// Adds one edge to a band spanning device columns [left, left + width) and rows [top, top + rows).
// Parts left of the band keep their winding contribution as a vertical run on the band's left edge;
// parts right of it cannot affect visible pixels and land in the spare column.
void AddEdge(float* acc, int stride, int width, int rows, double left, double top, Edge e)
{
  double ax = e.x0 - left, ay = e.y0 - top, bx = e.x1 - left, by = e.y1 - top;
  if ((ay <= 0 && by <= 0) || (ay >= rows && by >= rows) || ay == by) return;
  // Clip to the band's rows.
  auto atY = [&](double y) { return ax + (bx - ax) * ((y - ay) / (by - ay)); };
  double cax = ax, cay = ay, cbx = bx, cby = by;
  if (ay < 0) {
    cax = atY(0);
    cay = 0;
  } else if (ay > rows) {
    cax = atY(rows);
    cay = rows;
  }
  if (by < 0) {
    cbx = atY(0);
    cby = 0;
  } else if (by > rows) {
    cbx = atY(rows);
    cby = rows;
  }
  ax = cax;
  ay = cay;
  bx = cbx;
  by = cby;
  if (ay == by) return;

  // Split where the edge crosses the band's left and right sides, then pin x into [0, width].
  double ts[4] = {0.0, 1.0, 1.0, 1.0};
  int nt = 1;
  const double w = width;
  if ((ax < 0) != (bx < 0) && ax != bx) ts[nt++] = (0 - ax) / (bx - ax);
  if ((ax < w) != (bx < w) && ax != bx) ts[nt++] = (w - ax) / (bx - ax);
  ts[nt++] = 1.0;
  std::sort(ts, ts + nt);
  for (int i = 0; i + 1 < nt; i++) {
    const double t0 = ts[i], t1 = ts[i + 1];
    if (t1 <= t0) continue;
    double px = ax + (bx - ax) * t0, py = ay + (by - ay) * t0;
    double qx = ax + (bx - ax) * t1, qy = ay + (by - ay) * t1;
    px = std::min(w, std::max(0.0, px));
    qx = std::min(w, std::max(0.0, qx));
    Accumulate(acc, stride, px, py, qx, qy);
  }
}
} // namespace

void GDI_FillPath(GDI_Surface* surface, const GDI_Path& path, const GDI_Color& color, bool antiAlias)
{
  if (!surface || surface->ClipIsEmpty() || !color.mValid || path.IsEmpty()) return;
  const int opacity = GDI_ColorOpacity255(color);
  if (opacity <= 0) return;

  const GDI_SurfaceState& st = surface->mState;
  std::vector<Edge> edges;
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
  for (const std::vector<GDI_PointF>& c : path.Contours()) {
    const size_t n = c.size();
    if (n < 2) continue;
    for (size_t i = 0; i < n; i++) {
      const GDI_PointF &p = c[i], &q = c[(i + 1) % n];
      const Edge e = {p.x + st.mOriginX, p.y + st.mOriginY, q.x + st.mOriginX, q.y + st.mOriginY};
      if (!std::isfinite(e.x0) || !std::isfinite(e.y0) || !std::isfinite(e.x1) || !std::isfinite(e.y1)) return;
      edges.push_back(e);
      minX = std::min(minX, std::min(e.x0, e.x1));
      maxX = std::max(maxX, std::max(e.x0, e.x1));
      minY = std::min(minY, std::min(e.y0, e.y1));
      maxY = std::max(maxY, std::max(e.y0, e.y1));
    }
  }
  if (edges.empty()) return;

  // Only the part of the shape's bounds inside the clip is scanned.
  const int left = (int)std::max<double>(st.mClipLeft, std::floor(std::max(minX, -1e9)));
  const int right = (int)std::min<double>(st.mClipRight, std::ceil(std::min(maxX, 1e9)));
  const int top = (int)std::max<double>(st.mClipTop, std::floor(std::max(minY, -1e9)));
  const int bottom = (int)std::min<double>(st.mClipBottom, std::ceil(std::min(maxY, 1e9)));
  if (right <= left || bottom <= top) return;

  const int width = right - left, stride = width + 2;
  const int bandRows = (int)std::max(1L, std::min<long>(bottom - top, kBandCells / stride));
  std::vector<float> acc((size_t)stride * bandRows);
  for (int bandTop = top; bandTop < bottom; bandTop += bandRows) {
    const int rows = std::min(bandRows, bottom - bandTop);
    std::fill(acc.begin(), acc.end(), 0.0f);
    for (const Edge& e : edges) AddEdge(acc.data(), stride, width, rows, left, bandTop, e);
    for (int r = 0; r < rows; r++) {
      const float* cells = acc.data() + (long)r * stride;
      unsigned char* px = surface->Pixel(left, bandTop + r);
      float sum = 0.0f;
      for (int x = 0; x < width; x++, px += 4) {
        sum += cells[x];
        float cov = std::fabs(sum);
        if (cov > 1.0f) cov = 1.0f;
        int c255;
        if (antiAlias)
          c255 = (int)(cov * 255.0f + 0.5f);
        else
          c255 = cov >= 0.5f ? 255 : 0;
        if (c255) GDI_BlendPixel(px, color, GDI_ScaleCoverage(c255, opacity));
      }
    }
  }
}
