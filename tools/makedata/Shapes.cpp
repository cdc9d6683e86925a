#include "Shapes.h"

#include "MakeData.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::makedata {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// Maps vehicle coordinates (u along the facing, v to its right) to the canvas.
struct TFrame2D {
    double CX, CY, Squash, Scale;
    double FX, FY, RX, RY;
    TFrame2D(double cx, double cy, double facing, double squash, double scale)
        : CX(cx), CY(cy), Squash(squash), Scale(scale), FX(std::sin(facing * TwoPi)),
          FY(-std::cos(facing * TwoPi)), RX(-FY), RY(FX)
    {
    }
    TPoint At(double u, double v) const
    {
        const double gx = (u * FX + v * RX) * Scale, gy = (u * FY + v * RY) * Scale;
        return {CX + gx, CY + gy * Squash};
    }
    // The vehicle coordinates of a pixel centre.
    TPoint Local(int x, int y) const
    {
        const double gx = (x + 0.5 - CX) / Scale, gy = (y + 0.5 - CY) / Squash / Scale;
        return {gx * FX + gy * FY, gx * RX + gy * RY};
    }
    std::vector<TPoint> Rect(double u0, double u1, double v0, double v1) const
    {
        return {At(u0, v0), At(u1, v0), At(u1, v1), At(u0, v1)};
    }
};

struct TBounds {
    double X0 = 1e9, Y0 = 1e9, X1 = -1e9, Y1 = -1e9;
};

TBounds BoundsOf(const std::vector<TPoint>& points)
{
    TBounds b;
    for (const TPoint& p : points) {
        b.X0 = std::min(b.X0, p.X);
        b.Y0 = std::min(b.Y0, p.Y);
        b.X1 = std::max(b.X1, p.X);
        b.Y1 = std::max(b.Y1, p.Y);
    }
    return b;
}

// A polygon with a dark rim and a lit gradient inside.
void ShadedPolygon(TCanvas& canvas, const std::vector<TPoint>& outer, const std::vector<TPoint>& inner, int first,
                   int light, int dark)
{
    canvas.FillPolygon(outer, Solid(uint8_t(first + std::min(15, dark + 2))));
    const TBounds b = BoundsOf(inner);
    canvas.FillPolygon(inner, Gradient(first, light, dark, b.X0, b.Y0, b.X1, b.Y1));
}

void DrawTracks(TCanvas& canvas, const TFrame2D& f, const TVehicle& v)
{
    const double l = v.Length / 2, b = v.Breadth / 2, track = v.Breadth * 0.28;
    for (int side = -1; side <= 1; side += 2) {
        const double v0 = side * b, v1 = side * (b - track);
        canvas.FillPolygon(f.Rect(-l, l, std::min(v0, v1), std::max(v0, v1)), [&](int x, int y) {
            const TPoint p = f.Local(x, y);
            const int stripe = int(std::floor((p.X + v.TreadPhase * 0.75) / 1.5)) & 1;
            return uint8_t(ramp::Metal + (stripe ? 8 : 12));
        });
    }
}

void DrawWheels(TCanvas& canvas, const TFrame2D& f, const TVehicle& v)
{
    const double l = v.Length / 2, b = v.Breadth / 2;
    for (int side = -1; side <= 1; side += 2)
        for (int k = 0; k < 3; ++k) {
            const double u = -l + 4 + k * (v.Length - 8) / 2;
            canvas.FillPolygon(f.Rect(u - 2.6, u + 2.6, side * (b + 0.5) - 1.8, side * (b + 0.5) + 1.8),
                               Solid(uint8_t(ramp::DarkGrey + 13)));
        }
}

} // namespace

void DrawVehicle(TCanvas& canvas, double cx, double cy, double facing, const TVehicle& v)
{
    const TFrame2D f(cx, cy, facing, v.Squash, v.Scale);
    const double l = v.Length / 2, b = v.Breadth / 2;
    if (v.Turret) {
        DrawTracks(canvas, f, v);
        const double inner = b - v.Breadth * 0.22;
        ShadedPolygon(canvas, f.Rect(-l + 1, l - 1, -inner - 1, inner + 1), f.Rect(-l + 2, l - 2, -inner, inner),
                      v.Remap, 2, 9);
        // Barrel, turret and hatch.
        const TPoint base = f.At(-1, 0), muzzle = f.At(l + 3, 0);
        canvas.Line(base.X, base.Y, muzzle.X, muzzle.Y, 2.6 * v.Scale, Solid(ramp::Metal + 9));
        canvas.Line(base.X, base.Y, muzzle.X, muzzle.Y, 1.2 * v.Scale, Solid(ramp::Metal + 4));
        const TPoint t = f.At(-1.5, 0);
        const double r = b * 0.72 * v.Scale;
        canvas.FillEllipse(t.X, t.Y, r, r * v.Squash, Solid(uint8_t(v.Remap + 12)));
        canvas.FillEllipse(t.X, t.Y, r - 1, (r - 1) * v.Squash,
                           Gradient(v.Remap, 1, 8, t.X - r, t.Y - r, t.X + r, t.Y + r));
        const TPoint hatch = f.At(-3, -1.5);
        canvas.FillEllipse(hatch.X, hatch.Y, 1.6 * v.Scale, 1.3 * v.Scale * v.Squash, Solid(ramp::Metal + 6));
        return;
    }
    DrawWheels(canvas, f, v);
    ShadedPolygon(canvas, f.Rect(-l, l, -b, b), f.Rect(-l + 1, l - 1, -b + 1, b - 1), v.Remap, 2, 10);
    // Cab, roof hatch, gun and headlights.
    ShadedPolygon(canvas, f.Rect(l - 8, l - 2, -b + 2, b - 2), f.Rect(l - 7, l - 3, -b + 3, b - 3), ramp::Metal, 1, 7);
    canvas.FillPolygon(f.Rect(-l + 3, -l + 8, -2, 2), Solid(ramp::Metal + 9));
    const TPoint gunBase = f.At(l - 5, 0), gunEnd = f.At(l + 4, 0);
    canvas.Line(gunBase.X, gunBase.Y, gunEnd.X, gunEnd.Y, 1.3 * v.Scale, Solid(ramp::Metal + 10));
    for (int side = -1; side <= 1; side += 2) {
        const TPoint light = f.At(l - 0.5, side * (b - 2));
        canvas.Set(int(light.X), int(light.Y), uint8_t(ramp::Lights + 12));
    }
}

void DrawBox(TCanvas& canvas, const TIso& iso, const TBox& box, int topFirst, int wallFirst)
{
    const double h = box.Height;
    auto P = [&](double x, double y, double z) { return iso.At(x, y, z); };
    const std::vector<TPoint> left = {P(box.X0, box.Y1, 0), P(box.X1, box.Y1, 0), P(box.X1, box.Y1, h),
                                      P(box.X0, box.Y1, h)};
    const std::vector<TPoint> right = {P(box.X1, box.Y0, 0), P(box.X1, box.Y1, 0), P(box.X1, box.Y1, h),
                                       P(box.X1, box.Y0, h)};
    const std::vector<TPoint> top = {P(box.X0, box.Y0, h), P(box.X1, box.Y0, h), P(box.X1, box.Y1, h),
                                     P(box.X0, box.Y1, h)};
    const TBounds lb = BoundsOf(left), rb = BoundsOf(right), tb = BoundsOf(top);
    canvas.FillPolygon(left, Gradient(wallFirst, 4, 8, lb.X0, lb.Y0, lb.X1, lb.Y1));
    canvas.FillPolygon(right, Gradient(wallFirst, 8, 12, rb.X0, rb.Y0, rb.X1, rb.Y1));
    canvas.FillPolygon(top, Gradient(topFirst, 1, 6, tb.X0, tb.Y0, tb.X1, tb.Y1));
}

void DrawBoxShadow(TCanvas& canvas, const TIso& iso, const TBox& box, uint8_t index)
{
    // The light falls along +x and -y of the ground, 0.7 and 0.25 a unit of height.
    const double sx = box.Height * 0.7, sy = -box.Height * 0.25;
    const TPoint corners[4] = {{box.X0, box.Y0}, {box.X1, box.Y0}, {box.X1, box.Y1}, {box.X0, box.Y1}};
    std::vector<TPoint> base, cast;
    for (const TPoint& c : corners) {
        base.push_back(iso.At(c.X, c.Y, 0));
        cast.push_back(iso.At(c.X + sx, c.Y + sy, 0));
    }
    canvas.FillPolygon(base, Solid(index));
    canvas.FillPolygon(cast, Solid(index));
    for (size_t k = 0; k < 4; ++k) {
        const size_t n = (k + 1) % 4;
        canvas.FillPolygon({base[k], base[n], cast[n], cast[k]}, Solid(index));
    }
}

void DrawSlab(TCanvas& canvas, const TIso& iso, double x0, double y0, double x1, double y1, int first, double tile)
{
    const std::vector<TPoint> slab = {iso.At(x0, y0, 0), iso.At(x1, y0, 0), iso.At(x1, y1, 0), iso.At(x0, y1, 0)};
    canvas.FillPolygon(slab, [&](int x, int y) {
        // Back to ground coordinates to draw the tile joints.
        const double sx = x + 0.5 - iso.OriginX, sy = (y + 0.5 - iso.OriginY) * 2;
        const double gx = (sy + sx) / 2, gy = (sy - sx) / 2;
        const bool joint = std::fmod(gx - x0 + 0.6, tile) < 1.0 || std::fmod(gy - y0 + 0.6, tile) < 1.0;
        const int shade = joint ? 11 : 5 + int(TileNoise(7, gx, gy, 6, 64) * 4);
        return uint8_t(first + shade);
    });
}

void DrawFireball(TCanvas& canvas, double cx, double cy, double radius, double age, uint64_t seed)
{
    // The flash grows fast, then the fire cools into smoke that rises and thins out.
    const double size = radius * std::min(1.0, 0.25 + age * 3.0);
    const double heat = std::clamp(1.2 - age * 1.4, 0.0, 1.0);
    const double rise = age * radius * 0.6;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const double dx = x + 0.5 - cx, dy = (y + 0.5 - cy + rise) * 1.15;
            const double d = std::sqrt(dx * dx + dy * dy) / size;
            const double n = TileNoise(seed, x * 1.0, y + age * 40, 5, 1 << 20) * 0.55 +
                             TileNoise(seed + 1, x * 1.0, y * 1.0, 2, 1 << 20) * 0.25;
            const double body = 1.0 - d + (n - 0.4) * 0.9;
            if (body <= 0)
                continue;
            const double smokeThin = age > 0.6 ? (age - 0.6) * 1.6 : 0;
            const double t = body * heat;
            uint8_t index;
            if (t > 0.62)
                index = uint8_t(ramp::Lights + (t > 0.8 ? 12 : 0));
            else if (t > 0.42)
                index = uint8_t(ramp::Lights + 2 + (t < 0.5));
            else if (t > 0.22)
                index = uint8_t(ramp::Orange + int((0.42 - t) * 50));
            else if (t > 0.1)
                index = uint8_t(ramp::Red + 3 + int((0.22 - t) * 60));
            else if (body > smokeThin)
                index = uint8_t(ramp::Grey + 8 + int(std::min(7.0, (1 - body) * 8)));
            else
                continue;
            canvas.Set(x, y, index);
        }
}

} // namespace vantrel::makedata
