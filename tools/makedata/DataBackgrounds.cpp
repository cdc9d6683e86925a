// Background pictures: seamless terrain tiles drawn from tiling noise, saved as PNG.
#include "MakeData.h"
#include "Canvas.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <stdexcept>

namespace vantrel::makedata {

namespace {

constexpr int TileSize = 128;
constexpr double TwoPi = 2 * std::numbers::pi;

struct TRGB {
    double R, G, B;
};

TRGB Mix(TRGB a, TRGB b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

TRGB Scale(TRGB c, double k) { return {c.R * k, c.G * k, c.B * k}; }

// Noise of a few octaves that tiles over the picture.
double Fractal(uint64_t seed, int x, int y, int cell)
{
    double sum = 0, weight = 0, amplitude = 1;
    for (int octave = 0; cell >= 2; ++octave, cell /= 2, amplitude *= 0.5) {
        sum += amplitude * TileNoise(seed + uint64_t(octave), x, y, cell, TileSize / cell);
        weight += amplitude;
    }
    return sum / weight;
}

// A pixel hash in 0..1 for speckles.
double Speckle(uint64_t seed, int x, int y) { return TileNoise(seed, x, y, 1, TileSize); }

using TPainter = std::function<TRGB(int x, int y)>;

std::vector<uint8_t> EncodePNG(int width, int height, const TPainter& paint)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const TRGB c = paint(x, y);
            row[3 * x] = uchar(std::clamp(int(std::lround(c.R)), 0, 255));
            row[3 * x + 1] = uchar(std::clamp(int(std::lround(c.G)), 0, 255));
            row[3 * x + 2] = uchar(std::clamp(int(std::lround(c.B)), 0, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("Cannot encode a PNG picture");
    return {reinterpret_cast<const uint8_t*>(bytes.constData()),
            reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size()};
}

TRGB Grass(int x, int y)
{
    const double lush = Fractal(1, x, y, 32);
    const double dirt = Fractal(2, x, y, 64);
    TRGB c = Mix({58, 104, 38}, {96, 138, 52}, lush);
    c = Mix(c, {118, 92, 58}, (dirt - 0.62) * 5);
    const double blade = Speckle(3, x, y);
    return Scale(c, blade > 0.85 ? 1.18 : blade < 0.12 ? 0.82 : 1.0);
}

TRGB Sand(int x, int y)
{
    const double drift = Fractal(4, x, y, 32);
    const double ripple = std::sin(TwoPi * (3.0 * x / TileSize + 2.0 * y / TileSize) + TwoPi * drift);
    TRGB c = Mix({206, 172, 112}, {232, 204, 146}, drift);
    c = Scale(c, 1.0 + ripple * 0.05);
    return Speckle(5, x, y) > 0.93 ? Scale(c, 0.85) : c;
}

TRGB Snow(int x, int y, bool icy)
{
    const double drift = Fractal(6 + icy, x, y, 32);
    TRGB c = Mix({206, 218, 236}, {248, 250, 255}, drift);
    if (icy)
        c = Mix(c, {168, 196, 226}, (Fractal(8, x, y, 64) - 0.6) * 4);
    const double s = Speckle(9, x, y);
    if (s > 0.97)
        return {255, 255, 255};
    if (!icy && s < 0.004)
        return {96, 98, 104}; // a stone showing through
    return c;
}

// Concrete slabs of 32 pixels with seams, cracks and stains.
TRGB Concrete(int x, int y)
{
    constexpr int slab = 32;
    const int sx = x / slab, sy = y / slab;
    if (x % slab == 0 || y % slab == 0)
        return {70, 70, 72};
    const double tone = TileNoise(10, sx, sy, 1, TileSize / slab);
    TRGB c = Mix({132, 132, 136}, {162, 160, 158}, tone);
    c = Scale(c, 0.92 + Fractal(11, x, y, 8) * 0.16);
    const double crack = std::abs(Fractal(12, x, y, 32) - 0.5);
    if (crack < 0.006)
        c = Scale(c, 0.6);
    return Mix(c, {60, 56, 54}, (Fractal(13, x, y, 64) - 0.68) * 3);
}

TRGB Grid(int x, int y)
{
    constexpr int cell = 24;
    if (x % cell == 0 || y % cell == 0)
        return {150, 150, 156};
    return ((x / cell) + (y / cell)) % 2 ? TRGB{104, 104, 110} : TRGB{112, 112, 118};
}

} // namespace

void MakeBackgrounds(TDataWriter& out)
{
    out.Write("Backgrounds/TS-Temperate.png", EncodePNG(TileSize, TileSize, Grass));
    out.Write("Backgrounds/TS-Snow.png", EncodePNG(TileSize, TileSize, [](int x, int y) { return Snow(x, y, true); }));
    out.Write("Backgrounds/TD-Desert.png", EncodePNG(TileSize, TileSize, Sand));
    out.Write("Backgrounds/RA1-Snow.png", EncodePNG(TileSize, TileSize, [](int x, int y) { return Snow(x, y, false); }));
    out.Write("Backgrounds/RA2-Urban.png", EncodePNG(TileSize, TileSize, Concrete));
    out.Write("Backgrounds/Grid.png", EncodePNG(96, 96, Grid));
}

} // namespace vantrel::makedata
