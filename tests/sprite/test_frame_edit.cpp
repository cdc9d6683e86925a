// Frame operations and canvas changes, pixel for pixel, with shadow pairing on and off, and
// their undo and redo back to the same bytes.
#include "sprite/FrameEdit.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

using Canvas = std::vector<uint8_t>;

// A TS unit (shadow frames) of `frames` frames of w x h: frame k holds 10 + k wherever
// (x + y + k) % 3 != 0, so that every frame can be told by its pixels.
std::unique_ptr<TSHP> MakeSprite(int frames, int w = 4, int h = 3, TSHPType type = TSHPType::Unit)
{
    auto s = std::make_unique<TSHP>();
    s->Game = TSHPGame::TS;
    s->SetSHPType(type);
    s->AddFrames(frames, w, h);
    for (int k = 0; k < frames; ++k) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s->Frames[size_t(k)].Data[size_t(y * w + x)] = (x + y + k) % 3 ? uint8_t(10 + k) : 0;
        s->UpdateFrameBounds(k);
    }
    s->IsSaved = true;
    return s;
}

// Which original frame each frame is (-1: all 0).
std::vector<int> Ids(const TSHP& s)
{
    std::vector<int> ids;
    for (const TSHPFrame& f : s.Frames) {
        int id = -1;
        for (int p = 0; p < s.Width * s.Height && f.Data; ++p)
            if (f.Data[size_t(p)]) {
                id = f.Data[size_t(p)] - 10;
                break;
            }
        ids.push_back(id);
    }
    return ids;
}

Canvas CanvasOf(const TSHP& s, int i)
{
    const uint8_t* d = s.Frames[size_t(i)].Data.get();
    return Canvas(d, d + size_t(s.Width) * size_t(s.Height));
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> r;
    for (int i = first; i <= last; ++i)
        r.push_back(i);
    return r;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(FrameEdit, DeleteTakesTheShadowAlongAndPutFramesRestoresTheBytes)
{
    auto s = MakeSprite(16);
    const std::vector<uint8_t> before = s->SaveToMemory();
    TTakenFrames taken = DeleteFrames(*s, std::vector<int>{3}, true);
    EXPECT_EQ(Ids(*s), Concat(Concat({0, 1, 2}, Range(4, 10)), Range(12, 15)));
    EXPECT_EQ(taken.Positions, (std::vector<int>{3, 11}));
    EXPECT_FALSE(s->IsSaved);
    PutFrames(*s, taken);
    EXPECT_EQ(s->SaveToMemory(), before);

    // A shadow frame stands for its pair; without pairing only the frame goes.
    DeleteFrames(*s, std::vector<int>{11}, true);
    EXPECT_EQ(Ids(*s), Concat(Concat({0, 1, 2}, Range(4, 10)), Range(12, 15)));
    auto t = MakeSprite(16);
    DeleteFrames(*t, std::vector<int>{3}, false);
    EXPECT_EQ(Ids(*t), Concat({0, 1, 2}, Range(4, 15)));

    // Sprites without shadow frames, or of an odd count, are never paired.
    auto anim = MakeSprite(16, 4, 3, TSHPType::Animation);
    DeleteFrames(*anim, std::vector<int>{3}, true);
    EXPECT_EQ(anim->FrameCount(), 15);
    auto odd = MakeSprite(15);
    DeleteFrames(*odd, std::vector<int>{3}, true);
    EXPECT_EQ(odd->FrameCount(), 14);
}

TEST(FrameEdit, InvalidFramesAndDeletingEverythingChangeNothing)
{
    auto s = MakeSprite(8);
    const std::vector<uint8_t> before = s->SaveToMemory();
    try {
        DeleteFrames(*s, std::vector<int>{2, 8}, false);
        FAIL();
    } catch (const EditError& e) {
        EXPECT_STREQ(e.what(), "Frame 8 does not exist: the sprite has 8 frames, 0 to 7");
    }
    EXPECT_THROW(DeleteFrames(*s, Range(0, 3), true), EditError);
    EXPECT_THROW(MoveFrames(*s, std::vector<int>{0, 1}, 3, true), EditError); // 2 pairs of 4 can go to 0..2
    EXPECT_THROW(MoveFrames(*s, std::vector<int>{0}, 8, false), EditError);
    EXPECT_THROW(ResizeCanvas(*s, 0, 5, TAnchor::Centre), EditError);
    EXPECT_THROW(ResizeCanvas(*s, 65535, 65535, TAnchor::Centre), EditError); // 32 GiB of canvas
    EXPECT_EQ(s->SaveToMemory(), before);
    EXPECT_TRUE(s->IsSaved);
}

TEST(FrameEdit, DuplicateCopiesAfterTheLastAndUndoesByTaking)
{
    auto s = MakeSprite(8);
    const std::vector<uint8_t> before = s->SaveToMemory();
    const std::vector<int> copies = DuplicateFrames(*s, std::vector<int>{2, 1}, true);
    EXPECT_EQ(Ids(*s), (std::vector<int>{0, 1, 2, 1, 2, 3, 4, 5, 6, 5, 6, 7}));
    EXPECT_EQ(copies, (std::vector<int>{3, 4, 9, 10}));
    EXPECT_EQ(CanvasOf(*s, 3), CanvasOf(*s, 1));
    const std::vector<uint8_t> after = s->SaveToMemory();
    TTakenFrames undo = TakeFrames(*s, copies);
    EXPECT_EQ(s->SaveToMemory(), before);
    PutFrames(*s, undo);
    EXPECT_EQ(s->SaveToMemory(), after);

    auto t = MakeSprite(8);
    EXPECT_EQ(DuplicateFrames(*t, std::vector<int>{5, 1}, false), (std::vector<int>{6, 7}));
    EXPECT_EQ(Ids(*t), (std::vector<int>{0, 1, 2, 3, 4, 5, 1, 5, 6, 7}));
}

TEST(FrameEdit, MoveAndReverseReorderBothHalvesAndInvert)
{
    auto s = MakeSprite(8);
    const std::vector<uint8_t> before = s->SaveToMemory();
    const TFrameOrder order = MoveFrames(*s, std::vector<int>{0}, 2, true);
    EXPECT_EQ(Ids(*s), (std::vector<int>{1, 2, 0, 3, 5, 6, 4, 7}));
    ReorderFrames(*s, InverseOrder(order));
    EXPECT_EQ(s->SaveToMemory(), before);
    MoveFrames(*s, std::vector<int>{5, 3}, 4, true); // 5 stands for pair 1; 4 in the shadow half is 0
    EXPECT_EQ(Ids(*s), (std::vector<int>{1, 3, 0, 2, 5, 7, 4, 6}));

    auto t = MakeSprite(8);
    MoveFrames(*t, std::vector<int>{0, 7}, 6, false);
    EXPECT_EQ(Ids(*t), (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 7}));
    EXPECT_EQ(DropTarget(*t, std::vector<int>{1, 2}, 5, false), 3);

    auto r = MakeSprite(8);
    ReverseFrames(*r, {}, true);
    EXPECT_EQ(Ids(*r), (std::vector<int>{3, 2, 1, 0, 7, 6, 5, 4}));
    ReverseFrames(*r, {}, true);
    EXPECT_EQ(r->SaveToMemory(), before);
    ReverseFrames(*r, {}, false);
    EXPECT_EQ(Ids(*r), (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    ReverseFrames(*r, std::vector<int>{0, 2, 3}, false); // frames at 0, 2 and 3 swap ends
    EXPECT_EQ(Ids(*r), (std::vector<int>{4, 6, 5, 7, 3, 2, 1, 0}));
}

TEST(FrameEdit, ResizePlacesByAnchorAndCropCutsToTheContent)
{
    auto s = MakeSprite(2, 4, 3, TSHPType::Animation);
    const Canvas frame0 = CanvasOf(*s, 0);
    TCanvas before = ResizeCanvas(*s, 7, 4, TAnchor::Centre); // offset (1, 0): (7 - 4) / 2, (4 - 3) / 2
    ASSERT_EQ(s->Width, 7);
    Canvas expected(28, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            expected[size_t(y * 7 + x + 1)] = frame0[size_t(y * 4 + x)];
    EXPECT_EQ(CanvasOf(*s, 0), expected);
    EXPECT_EQ(s->Frames[0].X, 1); // its column 0 holds pixels
    EXPECT_EQ(s->Frames[0].CX, 4);
    EXPECT_EQ(s->Frames[0].CY, 3);
    SwapCanvas(*s, before);
    EXPECT_EQ(s->Width, 4);
    EXPECT_EQ(CanvasOf(*s, 0), frame0);

    EXPECT_EQ(PixelBytes(before), 2u * 28);
    TCanvas copy = CopyCanvas(*s); // a snapshot undoes any change
    s->Frames[1].Data[0] = 99;
    SwapCanvas(*s, copy);
    EXPECT_EQ(CanvasOf(*s, 0), frame0);
    EXPECT_EQ(copy.Frames[1].Data[0], 99);

    ResizeCanvas(*s, 2, 2, TAnchor::BottomRight); // keeps columns 2-3 and rows 1-2
    EXPECT_EQ(CanvasOf(*s, 0), (Canvas{0, 10, 10, 10}));
    EXPECT_EQ(CanvasOf(*s, 1), (Canvas{11, 11, 11, 0}));

    auto c = MakeSprite(2, 6, 5, TSHPType::Animation);
    for (TSHPFrame& f : c->Frames)
        std::fill_n(f.Data.get(), 30, uint8_t(0));
    c->Frames[0].Data[1 * 6 + 4] = 7; // (4, 1)
    c->Frames[1].Data[3 * 6 + 2] = 9; // (2, 3)
    EXPECT_EQ(ContentBounds(*c), (TFrameRect{2, 1, 3, 3}));
    CropCanvas(*c);
    EXPECT_EQ(CanvasOf(*c, 0), (Canvas{0, 0, 7, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(CanvasOf(*c, 1), (Canvas{0, 0, 0, 0, 0, 0, 9, 0, 0}));
    EXPECT_EQ(c->Frames[1].X, 0);
    EXPECT_EQ(c->Frames[1].Y, 2);
    for (TSHPFrame& f : c->Frames)
        std::fill_n(f.Data.get(), 9, uint8_t(0));
    EXPECT_THROW(CropCanvas(*c), EditError);
}

TEST(FrameEdit, InsertPlacesOtherSizesByAnchorAndPairsShadows)
{
    auto s = MakeSprite(4); // 2 pairs of 4 x 3
    const std::vector<uint8_t> before = s->SaveToMemory();
    auto small = MakeSprite(1, 2, 2, TSHPType::Animation);
    small->Frames[0].Data[0] = 50; // frame of 2 x 2: 50, 10 / 10, 10
    TFrameSource source = FrameSourceOf(*small);
    const std::vector<int> added = InsertFrames(*s, source, 1, TAnchor::BottomRight, true);
    EXPECT_EQ(added, (std::vector<int>{1, 4}));
    EXPECT_EQ(Ids(*s), (std::vector<int>{0, 40, 1, 2, -1, 3}));
    EXPECT_EQ(CanvasOf(*s, 1), (Canvas{0, 0, 0, 0, 0, 0, 50, 10, 0, 0, 10, 10}));
    EXPECT_EQ(s->Frames[1].X, 2);
    EXPECT_EQ(s->Frames[1].Y, 1);
    EXPECT_EQ(CanvasOf(*s, 4), Canvas(12, 0));
    TTakenFrames undo = TakeFrames(*s, added);
    EXPECT_EQ(s->SaveToMemory(), before);

    // A source with shadow frames of its own sends them to the shadow half.
    auto unit = MakeSprite(2);
    TFrameSource paired = FrameSourceOf(*unit);
    EXPECT_TRUE(paired.ShadowHalf);
    EXPECT_EQ(InsertFrames(*s, paired, 2, TAnchor::Centre, true), (std::vector<int>{2, 5}));
    EXPECT_EQ(Ids(*s), (std::vector<int>{0, 1, 0, 2, 3, 1}));

    auto t = MakeSprite(4);
    auto two = MakeSprite(2);
    TFrameSource unpaired = FrameSourceOf(*two);
    EXPECT_EQ(InsertFrames(*t, unpaired, 4, TAnchor::Centre, false), (std::vector<int>{4, 5}));
    EXPECT_EQ(Ids(*t), (std::vector<int>{0, 1, 2, 3, 0, 1}));
    TFrameSource none;
    EXPECT_THROW(InsertFrames(*t, none, 0, TAnchor::Centre, false), EditError);
}

TEST(FrameEdit, AnchorsAndFrameLists)
{
    EXPECT_EQ(ParseAnchor("Bottom-Right"), TAnchor::BottomRight);
    EXPECT_EQ(ParseAnchor("center"), TAnchor::Centre);
    EXPECT_EQ(ParseAnchor("nw"), TAnchor::TopLeft);
    EXPECT_EQ(ParseAnchor("middle-ish"), std::nullopt);
    for (int a = 0; a < AnchorCount; ++a)
        EXPECT_EQ(ParseAnchor(AnchorName(TAnchor(a))), TAnchor(a));
    EXPECT_EQ(AnchorOffsetX(TAnchor::Centre, 4, 7), 1);
    EXPECT_EQ(AnchorOffsetX(TAnchor::Centre, 7, 4), -1);
    EXPECT_EQ(AnchorOffsetY(TAnchor::Bottom, 3, 5), 2);
    EXPECT_EQ(AnchorOffsetX(TAnchor::Bottom, 3, 5), 1);

    EXPECT_EQ(ParseFrameList("3,5-7,0"), (std::vector<int>{3, 5, 6, 7, 0}));
    for (const char* bad : {"", "3,", ",3", "7-5", "-1", "1-", "a", "3 ", "1-2-3", "99999999999"})
        EXPECT_EQ(ParseFrameList(bad), std::nullopt) << bad;
}
