// The drawn subjects of the sample sprites: vehicles seen from above at any facing, isometric
// buildings and their shadows, fire and smoke, a tree, a crate, and cameo pictures.
#pragma once

#include "Canvas.h"

namespace vantrel::makedata {

struct TVehicle {
    int Remap = 16;         // first entry of the remap ramp the hull is painted with
    double Length = 26;     // along the facing
    double Breadth = 16;    // across it
    double Squash = 0.75;   // vertical foreshortening of the ground plane
    bool Turret = true;     // a tank; otherwise a wheeled carrier
    int TreadPhase = 0;     // moves the track stripes (0..3)
    double Scale = 1;
};

// facing in turns (0 north, 0.25 east, clockwise); the vehicle is centred on (cx, cy).
void DrawVehicle(TCanvas& canvas, double cx, double cy, double facing, const TVehicle& v);

// An isometric view: ground point (gx, gy) at height gz is drawn at
// (OriginX + gx - gy, OriginY + (gx + gy) / 2 - gz).
struct TIso {
    double OriginX = 0;
    double OriginY = 0;
    TPoint At(double gx, double gy, double gz) const { return {OriginX + gx - gy, OriginY + (gx + gy) / 2 - gz}; }
};

struct TBox {
    double X0, Y0, X1, Y1, Height;
};

// A box whose top is painted from topFirst (a ramp) and whose walls from wallFirst.
void DrawBox(TCanvas& canvas, const TIso& iso, const TBox& box, int topFirst, int wallFirst);
// The ground the box's shadow covers, the light falling towards the screen's right.
void DrawBoxShadow(TCanvas& canvas, const TIso& iso, const TBox& box, uint8_t index);
// A flat diamond of ground tiles.
void DrawSlab(TCanvas& canvas, const TIso& iso, double x0, double y0, double x1, double y1, int first, double tile);

// Fire and smoke: age 0..1 from the first flash to the last wisp; seed varies the shape.
void DrawFireball(TCanvas& canvas, double cx, double cy, double radius, double age, uint64_t seed);

} // namespace vantrel::makedata
