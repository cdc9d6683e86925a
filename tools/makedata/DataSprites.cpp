// The sample sprites of SHPs/: one of every kind the viewer tells apart, in both file layouts.
#include "MakeData.h"
#include "Shapes.h"

#include "sprite/SHP.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace vantrel::makedata {

namespace {

constexpr uint8_t TSShadowIndex = 1; // what TS/RA2 shadow frames are drawn with
constexpr uint8_t TDShadowIndex = 4; // the shadow entry of TD/RA1 sprites

std::unique_ptr<TSHP> NewSprite(TSHPGame game, int frames, int width, int height)
{
    auto sprite = std::make_unique<TSHP>();
    sprite->Game = game;
    sprite->AddFrames(frames, width, height);
    return sprite;
}

void Save(TDataWriter& out, const std::string& name, const TSHP& sprite, TSHPFormat layout = TSHPFormat::TS)
{
    out.Write("SHPs/" + name, sprite.SaveToMemory(layout));
}

// Where the shadow of a vehicle falls: a little to the right and down.
TPoint VehicleShadow(double x, double y) { return {x + 3, y + 2}; }

// TS: 8 facings and their 8 shadows. With 16 frames the type detection reads it as a building
// (the shadow half holds the shadow entry), so it animates over its shadows like one.
void MakeTSTank(TDataWriter& out)
{
    constexpr int facings = 8;
    auto sprite = NewSprite(TSHPGame::TS, facings * 2, 50, 40);
    for (int k = 0; k < facings; ++k) {
        TCanvas body(50, 40);
        DrawVehicle(body, 25, 19, double(k) / facings, {});
        PutFrame(*sprite, k, body);
        PutFrame(*sprite, k + facings, body.Shadow(TSShadowIndex, VehicleShadow));
    }
    sprite->CompressionMode = 3; // raw frames
    Save(out, "ts-tank.shp", *sprite);
}

// TS: a wheeled carrier in 64 facings with 64 shadows, which the detection reads as a unit.
void MakeTSCarrier(TDataWriter& out)
{
    constexpr int facings = 64;
    auto sprite = NewSprite(TSHPGame::TS, facings * 2, 56, 44);
    TVehicle carrier;
    carrier.Turret = false;
    carrier.Length = 28;
    carrier.Breadth = 15;
    for (int k = 0; k < facings; ++k) {
        TCanvas body(56, 44);
        DrawVehicle(body, 28, 21, double(k) / facings, carrier);
        PutFrame(*sprite, k, body);
        PutFrame(*sprite, k + facings, body.Shadow(TSShadowIndex, VehicleShadow));
    }
    sprite->CompressionMode = 1; // the first half encoded, the shadows raw
    Save(out, "ts-apc.shp", *sprite);
}

// Dark scorch marks, broken windows and small fires on a building.
void Damage(TCanvas& canvas, uint64_t seed, int fires)
{
    TRandom random(seed);
    TCanvas marks(canvas.Width(), canvas.Height());
    for (int k = 0; k < 9; ++k) {
        const int x = 10 + random.Below(canvas.Width() - 20), y = 8 + random.Below(canvas.Height() - 24);
        marks.FillEllipse(x, y, 2 + random.Below(4), 1.5 + random.Below(3), Solid(ramp::DarkGrey + 13));
    }
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (marks.Get(x, y) && canvas.Get(x, y))
                canvas.Set(x, y, uint8_t(ramp::DarkGrey + 11 + ((x + y) & 1) * 3));
    for (int k = 0; k < fires; ++k) {
        const int x = 20 + random.Below(canvas.Width() - 40), y = 14 + random.Below(canvas.Height() - 34);
        if (!canvas.Get(x, y) || !canvas.Get(x, y + 3))
            continue; // fires burn on the building only
        canvas.FillEllipse(x, y, 2.5, 3, Solid(ramp::Orange + 2));
        canvas.FillEllipse(x, y - 1, 1.5, 2, Solid(ramp::Lights + 1));
        canvas.Set(x, y - 3, ramp::Lights);
    }
}

// A row of lit windows along the left wall of a box.
void Windows(TCanvas& canvas, const TIso& iso, const TBox& box, double z, uint8_t lit)
{
    for (double gx = box.X0 + 3; gx < box.X1 - 2; gx += 5) {
        const TPoint p = iso.At(gx, box.Y1, z);
        canvas.FillRect(int(p.X), int(p.Y), 2, 2, Solid(lit));
    }
}

// TS: a power plant, whole, damaged and destroyed, with the shadows of the three.
void MakeTSPowerPlant(TDataWriter& out)
{
    constexpr int w = 96, h = 72;
    auto sprite = NewSprite(TSHPGame::TS, 6, w, h);
    const TIso iso{48, 24};
    const TBox hall{6, 6, 42, 40, 20};
    const TBox stacks[2] = {{10, 10, 18, 18, 36}, {24, 10, 32, 18, 32}};
    for (int state = 0; state < 3; ++state) {
        TCanvas c(w, h), shadow(w, h);
        DrawSlab(c, iso, 0, 0, 48, 48, ramp::Concrete, 8);
        if (state < 2) {
            DrawBox(c, iso, hall, RemapStart(TSHPGame::TS), ramp::Metal);
            for (const TBox& s : stacks)
                DrawBox(c, iso, s, ramp::Grey, ramp::Concrete);
            Windows(c, iso, hall, 10, state == 0 ? ramp::Lights : ramp::DarkGrey + 12);
            DrawBoxShadow(shadow, iso, hall, TSShadowIndex);
            for (const TBox& s : stacks)
                DrawBoxShadow(shadow, iso, s, TSShadowIndex);
            if (state == 1)
                Damage(c, 11, 3);
        } else {
            TRandom random(5);
            for (int k = 0; k < 14; ++k) {
                const double x = 8 + random.Below(30), y = 8 + random.Below(30);
                const TBox rubble{x, y, x + 3 + random.Below(5), y + 3 + random.Below(5), 2.0 + random.Below(5)};
                DrawBox(c, iso, rubble, k % 2 ? ramp::Concrete : ramp::Earth, ramp::Earth);
                DrawBoxShadow(shadow, iso, rubble, TSShadowIndex);
            }
            Damage(c, 13, 2);
        }
        PutFrame(*sprite, state, c);
        PutFrame(*sprite, state + 3, shadow);
    }
    Save(out, "ts-powerplant.shp", *sprite);
}

// A hall with a pitched roof: walls of box, roof ridge along x.
void DrawHall(TCanvas& c, const TIso& iso, const TBox& box, double roof, int roofFirst)
{
    DrawBox(c, iso, box, ramp::Concrete, ramp::Concrete);
    const double ym = (box.Y0 + box.Y1) / 2, z = box.Height;
    auto P = [&](double x, double y, double zz) { return iso.At(x, y, zz); };
    c.FillPolygon({P(box.X0, box.Y0, z), P(box.X1, box.Y0, z), P(box.X1, ym, z + roof), P(box.X0, ym, z + roof)},
                  Solid(uint8_t(roofFirst + 3)));
    const std::vector<TPoint> front = {P(box.X0, box.Y1, z), P(box.X1, box.Y1, z), P(box.X1, ym, z + roof),
                                       P(box.X0, ym, z + roof)};
    c.FillPolygon(front, Gradient(roofFirst, 4, 9, front[3].X, front[3].Y, front[1].X, front[1].Y));
    c.FillPolygon({P(box.X1, box.Y0, z), P(box.X1, box.Y1, z), P(box.X1, ym, z + roof)}, Solid(ramp::Concrete + 9));
}

// RA2: a barracks of 8 frames, which the detection reads as an iso building of the snow
// theatre: whole, damaged, busy, the foundation (frame 3, drawn with the iso palette) and the
// four shadows (the foundation casts none).
void MakeRA2Barracks(TDataWriter& out)
{
    constexpr int w = 110, h = 86;
    auto sprite = NewSprite(TSHPGame::RA2, 8, w, h);
    const TIso iso{55, 32};
    const TBox hall{8, 12, 44, 36, 14};
    const int remap = RemapStart(TSHPGame::RA2);
    for (int state = 0; state < 3; ++state) {
        TCanvas c(w, h), shadow(w, h);
        DrawHall(c, iso, hall, 9, ramp::Red);
        Windows(c, iso, hall, 7, state == 1 ? ramp::DarkGrey + 12 : ramp::Lights + (state == 2 ? 12 : 0));
        // A flag in the side colour.
        const TPoint pole = iso.At(44, 8, 0), top = iso.At(44, 8, 34);
        c.Line(pole.X, pole.Y, top.X, top.Y, 1, Solid(ramp::Metal + 3));
        c.FillPolygon({top, {top.X + 9, top.Y + 2 + state}, {top.X, top.Y + 6}},
                      Gradient(remap, 1, 6, top.X, top.Y, top.X + 9, top.Y + 6));
        DrawBoxShadow(shadow, iso, {hall.X0, hall.Y0, hall.X1, hall.Y1, hall.Height + 6}, TSShadowIndex);
        DrawBoxShadow(shadow, iso, {43.5, 7.5, 44.5, 8.5, 34}, TSShadowIndex);
        if (state == 1)
            Damage(c, 21, 2);
        PutFrame(*sprite, state, c);
        PutFrame(*sprite, state + 4, shadow);
    }
    TCanvas foundation(w, h);
    DrawSlab(foundation, iso, 0, 0, 50, 50, ramp::Concrete, 10);
    DrawSlab(foundation, iso, 20, 36, 30, 50, ramp::Earth, 5);
    PutFrame(*sprite, 3, foundation);
    Save(out, "ra2-barracks.shp", *sprite);
}

// TS: an explosion of 15 frames (an odd count makes an animation).
void MakeTSExplosion(TDataWriter& out)
{
    constexpr int frames = 15;
    auto sprite = NewSprite(TSHPGame::TS, frames, 64, 64);
    for (int k = 0; k < frames; ++k) {
        TCanvas c(64, 64);
        DrawFireball(c, 32, 38, 24, double(k) / (frames - 1), 99);
        PutFrame(*sprite, k, c);
    }
    sprite->CompressionMode = 2; // every frame encoded
    Save(out, "ts-explosion.shp", *sprite);
}

// A cameo: a vehicle in front of sky and ground, in a bevelled frame; lit shows the frame glowing.
TCanvas Cameo(int w, int h, int remap, bool lit)
{
    TCanvas c(w, h);
    c.FillRect(0, 0, w, h * 3 / 5, Gradient(ramp::Blue, 2, 9, 0, 0, 0, h * 0.6));
    c.FillRect(0, h * 3 / 5, w, h, Gradient(ramp::Green, 5, 11, 0, h * 0.6, w * 0.3, h));
    TVehicle tank;
    tank.Remap = remap;
    tank.Scale = 1.45;
    DrawVehicle(c, w / 2.0, h * 0.55, 0.375, tank);
    const uint8_t light = lit ? uint8_t(ramp::Lights) : uint8_t(ramp::Grey + 1);
    const uint8_t dark = lit ? uint8_t(ramp::Lights + 3) : uint8_t(ramp::Grey + 12);
    c.FillRect(0, 0, w, 1, Solid(light));
    c.FillRect(0, 0, 1, h, Solid(light));
    c.FillRect(0, h - 1, w, 1, Solid(dark));
    c.FillRect(w - 1, 0, 1, h, Solid(dark));
    return c;
}

// RA2: a 60 x 48 cameo with its lit state; TS: a 64 x 48 cameo.
void MakeCameos(TDataWriter& out)
{
    auto ra2 = NewSprite(TSHPGame::RA2, 2, 60, 48);
    PutFrame(*ra2, 0, Cameo(60, 48, RemapStart(TSHPGame::RA2), false));
    PutFrame(*ra2, 1, Cameo(60, 48, RemapStart(TSHPGame::RA2), true));
    Save(out, "ra2-cameo.shp", *ra2);
    auto ts = NewSprite(TSHPGame::TS, 1, 64, 48);
    PutFrame(*ts, 0, Cameo(64, 48, RemapStart(TSHPGame::TS), false));
    Save(out, "ts-cameo.shp", *ts);
}

// TD layout: a tank in 32 facings, 4 track positions each, its shadow in the shadow entry.
// Frames of one facing differ only in the tracks, so most are stored as XOR deltas.
void MakeTDTank(TDataWriter& out)
{
    constexpr int facings = 32, phases = 4, size = 36;
    auto sprite = NewSprite(TSHPGame::TD, facings * phases, size, size);
    TVehicle tank;
    tank.Remap = RemapStart(TSHPGame::TD);
    tank.Length = 20;
    tank.Breadth = 13;
    tank.Squash = 0.8;
    for (int k = 0; k < facings; ++k)
        for (int p = 0; p < phases; ++p) {
            TCanvas c(size, size);
            tank.TreadPhase = p;
            TCanvas body(size, size);
            DrawVehicle(body, size / 2.0, size / 2.0, double(k) / facings, tank);
            c.Draw(body.Shadow(TDShadowIndex, VehicleShadow), 0, 0);
            c.Draw(body, 0, 0);
            PutFrame(*sprite, k * phases + p, c);
        }
    Save(out, "td-tank.shp", *sprite, TSHPFormat::TD);
}

// TD layout: a burning fire of 10 frames.
void MakeTDFlame(TDataWriter& out)
{
    constexpr int frames = 10, w = 32, h = 40;
    auto sprite = NewSprite(TSHPGame::TD, frames, w, h);
    for (int k = 0; k < frames; ++k) {
        TCanvas c(w, h);
        c.FillEllipse(16, 34, 11, 4, Solid(ramp::DarkGrey + 12));
        for (int tongue = 0; tongue < 3; ++tongue) {
            const double phase = (k + tongue * 3.3) / frames * 6.2832;
            const double x = 10 + tongue * 6 + std::sin(phase) * 1.5;
            const double height = 16 + 6 * std::sin(phase * 2 + tongue);
            c.FillPolygon({{x - 5, 34}, {x + 5, 34}, {x + std::cos(phase) * 2, 34 - height}},
                          Gradient(ramp::Orange, 1, 8, x - 5, 34 - height, x + 5, 34));
            c.FillPolygon({{x - 2.5, 34}, {x + 2.5, 34}, {x + std::cos(phase), 34 - height * 0.6}},
                          Solid(uint8_t(ramp::Lights + 1 + (k + tongue) % 2)));
        }
        PutFrame(*sprite, k, c);
    }
    Save(out, "td-flame.shp", *sprite, TSHPFormat::TD);
}

// TS layout with a palette trailer: an RA1 crate turning round, drawn with its own palette
// (bright wood and a glowing emblem), so no palette file is chosen for it.
void MakeRA1Crate(TDataWriter& out)
{
    constexpr int frames = 8, size = 40;
    auto sprite = NewSprite(TSHPGame::RA1, frames, size, size);
    sprite->SHPType = TSHPType::Animation;
    TPalette pal = MakePalette(TSHPGame::RA1, "temperat");
    for (int k = 0; k < 16; ++k) {
        pal[size_t(ramp::Earth + k)] = MakeColour(uint8_t(250 - k * 10), uint8_t(196 - k * 9), uint8_t(96 - k * 5));
        pal[size_t(ramp::Green + k)] = MakeColour(uint8_t(60 + k * 4), uint8_t(255 - k * 10), uint8_t(200 - k * 9));
    }
    sprite->SetPalette(pal);
    sprite->SavePalette = true;
    const TIso iso{20, 17};
    for (int k = 0; k < frames; ++k) {
        TCanvas c(size, size);
        const double turn = double(k) / frames / 4 * 2 * 3.14159265358979;
        // The top square turned about its centre; a side face is drawn when it faces the viewer
        // (its middle lies nearer than the centre) and is lit when it faces left.
        std::vector<TPoint> corners, top, ground;
        for (int corner = 0; corner < 4; ++corner) {
            const double a = turn + corner * 3.14159265358979 / 2 + 0.785398;
            corners.push_back({10 + std::cos(a) * 11, 10 + std::sin(a) * 11});
            top.push_back(iso.At(corners.back().X, corners.back().Y, 14));
            ground.push_back(iso.At(corners.back().X, corners.back().Y, 0));
        }
        for (int side = 0; side < 4; ++side) {
            const size_t a = size_t(side), b = size_t((side + 1) % 4);
            const double nx = (corners[a].X + corners[b].X) / 2 - 10, ny = (corners[a].Y + corners[b].Y) / 2 - 10;
            if (nx + ny <= 0)
                continue;
            const int shade = nx - ny < 0 ? 4 : 8;
            c.FillPolygon({ground[a], ground[b], top[b], top[a]}, [&](int x, int y) {
                return uint8_t(ramp::Earth + shade + ((x + y / 3) % 4 == 0 ? 3 : 0));
            });
        }
        c.FillPolygon(top, Gradient(ramp::Earth, 0, 5, top[0].X - 10, top[1].Y, top[0].X + 10, top[3].Y));
        const TPoint centre = iso.At(10, 10, 14);
        c.FillEllipse(centre.X, centre.Y, 4, 2.5, Solid(ramp::Green + (k % 4)));
        PutFrame(*sprite, k, c);
    }
    Save(out, "ra1-crate.shp", *sprite);
}

// TS, in a sub-folder and with the snow theatre's extension: a snowy pine and its shadow.
void MakeTSPine(TDataWriter& out)
{
    constexpr int w = 48, h = 72;
    auto sprite = NewSprite(TSHPGame::TS, 2, w, h);
    TCanvas tree(w, h);
    tree.FillRect(22, 52, 4, 14, Gradient(ramp::Earth, 3, 9, 22, 52, 26, 66));
    for (int layer = 0; layer < 4; ++layer) {
        const double top = 6 + layer * 11, bottom = top + 20, half = 8 + layer * 4;
        tree.FillPolygon({{24, top}, {24 + half, bottom}, {24 - half, bottom}},
                         Gradient(ramp::Foliage, 2, 11, 24 - half, top, 24 + half, bottom));
        tree.FillPolygon({{24, top}, {24 + half * 0.45, top + 9}, {24 - half * 0.45, top + 9}},
                         Gradient(ramp::Grey, 0, 4, 24 - half, top, 24 + half, top + 9));
    }
    PutFrame(*sprite, 0, tree);
    // The shadow lies on the ground, cast to the right from the foot of the trunk.
    PutFrame(*sprite, 1, tree.Shadow(TSShadowIndex, [](double x, double y) {
        const double up = 66 - y;
        return TPoint{x + up * 0.45, 66 - up * 0.22};
    }));
    Save(out, "Terrain/ts-pine.sno", *sprite);
}

void MakeNotASprite(TDataWriter& out)
{
    const std::string text = "These are the sample sprites that come with Vantrel, drawn by its own\n"
                             "generator. This file only has the extension of a sprite, so the open\n"
                             "dialog leaves it out.\n";
    out.Write("SHPs/readme.shp", std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace

void MakeSprites(TDataWriter& out)
{
    MakeTSTank(out);
    MakeTSCarrier(out);
    MakeTSPowerPlant(out);
    MakeRA2Barracks(out);
    MakeTSExplosion(out);
    MakeCameos(out);
    MakeTDTank(out);
    MakeTDFlame(out);
    MakeRA1Crate(out);
    MakeTSPine(out);
    MakeNotASprite(out);
}

} // namespace vantrel::makedata
