// A canvas of palette indices and the few drawing operations the sample sprites need: filled
// polygons and ellipses shaded by a function of the pixel, thick lines, and copying into frames.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {
class TSHP;
}

namespace vantrel::makedata {

struct TPoint {
    double X = 0;
    double Y = 0;
};

// The palette index of a pixel of a shape (0 leaves the pixel as it is).
using TShade = std::function<uint8_t(int x, int y)>;

// A constant index.
TShade Solid(uint8_t index);
// Entry first + shade of a ramp, the shade growing from the top-left of the box (x0, y0) to its
// bottom-right (x1, y1) between light and dark (0..15), with a little ordered dither.
TShade Gradient(int first, int light, int dark, double x0, double y0, double x1, double y1);

class TCanvas {
public:
    TCanvas(int width, int height);
    int Width() const { return W; }
    int Height() const { return H; }
    uint8_t Get(int x, int y) const;
    void Set(int x, int y, uint8_t index);
    void Clear() { std::fill(Pixels.begin(), Pixels.end(), uint8_t(0)); }
    const std::vector<uint8_t>& Data() const { return Pixels; }

    // Pixels whose centre lies inside the polygon (even-odd rule).
    void FillPolygon(const std::vector<TPoint>& points, const TShade& shade);
    void FillEllipse(double cx, double cy, double rx, double ry, const TShade& shade);
    void FillRect(int x, int y, int w, int h, const TShade& shade);
    // A line of the given thickness with round ends.
    void Line(double x0, double y0, double x1, double y1, double thickness, const TShade& shade);
    // Draws every non-zero pixel of other at (dx, dy).
    void Draw(const TCanvas& other, int dx, int dy);
    // A canvas with index where this one has a non-zero pixel moved by the given map (applied
    // to pixel centres), and 0 elsewhere: the shadow a shape casts.
    TCanvas Shadow(uint8_t index, const std::function<TPoint(double x, double y)>& project) const;

private:
    int W, H;
    std::vector<uint8_t> Pixels;
};

// Copies the canvas into frame i of the sprite (same size) and shrinks the frame's rectangle
// to its non-zero pixels.
void PutFrame(TSHP& sprite, int i, const TCanvas& canvas);

// Value noise in 0..1 on a grid of the given cell size that wraps at period cells, so that
// pictures made from it tile.
double TileNoise(uint64_t seed, double x, double y, int cell, int period);

} // namespace vantrel::makedata
