#include "Canvas.h"

#include "sprite/SHP.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantrel::makedata {

namespace {

// A 4 x 4 ordered-dither threshold in 0..1.
double Dither(int x, int y)
{
    static const int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (matrix[y & 3][x & 3] + 0.5) / 16.0;
}

uint64_t Hash(uint64_t seed, int64_t x, int64_t y)
{
    uint64_t h = seed ^ (uint64_t(x) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(y) * 0xC2B2AE3D27D4EB4Full);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

} // namespace

TShade Solid(uint8_t index)
{
    return [index](int, int) { return index; };
}

TShade Gradient(int first, int light, int dark, double x0, double y0, double x1, double y1)
{
    return [=](int x, int y) {
        const double span = std::max(1.0, (x1 - x0) + (y1 - y0));
        const double t = std::clamp(((x + 0.5 - x0) + (y + 0.5 - y0)) / span, 0.0, 1.0);
        const double shade = light + t * (dark - light);
        const int whole = int(shade);
        const int s = whole + (shade - whole > Dither(x, y) ? 1 : 0);
        return uint8_t(first + std::clamp(s, 0, 15));
    };
}

TCanvas::TCanvas(int width, int height) : W(width), H(height), Pixels(size_t(width) * size_t(height), 0) {}

uint8_t TCanvas::Get(int x, int y) const
{
    return x < 0 || y < 0 || x >= W || y >= H ? 0 : Pixels[size_t(y) * size_t(W) + size_t(x)];
}

void TCanvas::Set(int x, int y, uint8_t index)
{
    if (x >= 0 && y >= 0 && x < W && y < H && index != 0)
        Pixels[size_t(y) * size_t(W) + size_t(x)] = index;
}

void TCanvas::FillPolygon(const std::vector<TPoint>& points, const TShade& shade)
{
    if (points.size() < 3)
        return;
    for (int y = 0; y < H; ++y) {
        const double py = y + 0.5;
        std::vector<double> crossings;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const TPoint& a = points[i];
            const TPoint& b = points[j];
            if ((a.Y > py) != (b.Y > py))
                crossings.push_back(a.X + (py - a.Y) * (b.X - a.X) / (b.Y - a.Y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            const int from = std::max(0, int(std::ceil(crossings[k] - 0.5)));
            const int to = std::min(W - 1, int(std::floor(crossings[k + 1] - 0.5)));
            for (int x = from; x <= to; ++x)
                Set(x, y, shade(x, y));
        }
    }
}

void TCanvas::FillEllipse(double cx, double cy, double rx, double ry, const TShade& shade)
{
    if (rx <= 0 || ry <= 0)
        return;
    for (int y = std::max(0, int(cy - ry) - 1); y <= std::min(H - 1, int(cy + ry) + 1); ++y)
        for (int x = std::max(0, int(cx - rx) - 1); x <= std::min(W - 1, int(cx + rx) + 1); ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                Set(x, y, shade(x, y));
        }
}

void TCanvas::FillRect(int x, int y, int w, int h, const TShade& shade)
{
    for (int r = std::max(0, y); r < std::min(H, y + h); ++r)
        for (int c = std::max(0, x); c < std::min(W, x + w); ++c)
            Set(c, r, shade(c, r));
}

void TCanvas::Line(double x0, double y0, double x1, double y1, double thickness, const TShade& shade)
{
    const double half = thickness / 2;
    const double dx = x1 - x0, dy = y1 - y0;
    const double length2 = std::max(1e-9, dx * dx + dy * dy);
    const int left = std::max(0, int(std::min(x0, x1) - half) - 1);
    const int right = std::min(W - 1, int(std::max(x0, x1) + half) + 1);
    const int top = std::max(0, int(std::min(y0, y1) - half) - 1);
    const int bottom = std::min(H - 1, int(std::max(y0, y1) + half) + 1);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5 - x0, py = y + 0.5 - y0;
            const double t = std::clamp((px * dx + py * dy) / length2, 0.0, 1.0);
            const double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= half * half)
                Set(x, y, shade(x, y));
        }
}

void TCanvas::Draw(const TCanvas& other, int dx, int dy)
{
    for (int y = 0; y < other.H; ++y)
        for (int x = 0; x < other.W; ++x)
            Set(x + dx, y + dy, other.Get(x, y));
}

TCanvas TCanvas::Shadow(uint8_t index, const std::function<TPoint(double x, double y)>& project) const
{
    TCanvas shadow(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (Get(x, y) != 0) {
                const TPoint p = project(x + 0.5, y + 0.5);
                shadow.Set(int(std::floor(p.X)), int(std::floor(p.Y)), index);
            }
    // Close the one-pixel gaps a stretching projection leaves.
    TCanvas closed = shadow;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (!shadow.Get(x, y) && shadow.Get(x - 1, y) && shadow.Get(x + 1, y))
                closed.Set(x, y, index);
            else if (!shadow.Get(x, y) && shadow.Get(x, y - 1) && shadow.Get(x, y + 1))
                closed.Set(x, y, index);
    return closed;
}

void PutFrame(TSHP& sprite, int i, const TCanvas& canvas)
{
    TSHPFrame& frame = sprite.GetFrame(i);
    std::memcpy(frame.Data.get(), canvas.Data().data(), canvas.Data().size());
    frame.Dirty = true;
    sprite.UpdateFrameBounds(i);
}

double TileNoise(uint64_t seed, double x, double y, int cell, int period)
{
    const double gx = x / cell, gy = y / cell;
    const int ix = int(std::floor(gx)), iy = int(std::floor(gy));
    const double fx = gx - ix, fy = gy - iy;
    auto corner = [&](int cx, int cy) {
        const int wx = ((cx % period) + period) % period, wy = ((cy % period) + period) % period;
        return double(Hash(seed, wx, wy) >> 11) / double(1ull << 53);
    };
    auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double sx = smooth(fx), sy = smooth(fy);
    const double top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * sx;
    const double bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}

} // namespace vantrel::makedata
