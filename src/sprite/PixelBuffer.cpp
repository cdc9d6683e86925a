#include "PixelBuffer.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace vantrel {

// A block starts with this header; its canvases follow, then CanvasSlack bytes. Users counts the
// canvases not yet freed, including those still to be handed out, plus one while the block is
// being carved. The count is plain: the canvases of a block belong to the frames of one sprite,
// and a sprite is used by one thread at a time.
struct TCanvasBlock {
    explicit TCanvasBlock(size_t canvases) : Users(canvases + 1) {}
    size_t Users;
    size_t Padding = 0; // the canvases start 16 bytes into the block
    uint8_t* Canvases() { return reinterpret_cast<uint8_t*>(this + 1); }
};

namespace {

void Release(TCanvasBlock* block, size_t users = 1) noexcept
{
    if ((block->Users -= users) == 0) {
        block->~TCanvasBlock();
        ::operator delete(block);
    }
}

} // namespace

void TPixelDeleter::operator()(uint8_t* pixels) const noexcept
{
    if (Block)
        Release(Block);
    else
        delete[] pixels;
}

TCanvasBlocks::~TCanvasBlocks() { ReleaseBlock(); }

void TCanvasBlocks::ReleaseBlock()
{
    if (Block)
        Release(Block, LeftInBlock + 1);
    Block = nullptr;
}

void TCanvasBlocks::StartBlock()
{
    ReleaseBlock();
    const size_t canvases = std::clamp<size_t>(BlockBytes / std::max<size_t>(Bytes, 1), 1, Remaining);
    void* memory = ::operator new(sizeof(TCanvasBlock) + canvases * Bytes + CanvasSlack);
    Block = new (memory) TCanvasBlock(canvases);
    Free = Block->Canvases();
    LeftInBlock = canvases;
}

TPixelBuffer TCanvasBlocks::Next()
{
    if (Remaining == 0)
        throw std::logic_error("TCanvasBlocks: every canvas was handed out");
    if (LeftInBlock == 0)
        StartBlock();
    uint8_t* const canvas = Free;
    Free += Bytes;
    --LeftInBlock;
    --Remaining;
    return TPixelBuffer(canvas, TPixelDeleter(Block));
}

} // namespace vantrel
