// The pixels of a frame: a buffer of its own, or one canvas of a block that a reader shares out
// to many frames, so that loading a sprite of many small frames makes a few allocations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vantrel {

// A block starts with this header; its canvases follow, then TCanvasBlocks::CanvasSlack bytes.
// Users counts the canvases not yet freed, including those still to be handed out, plus one
// while the block is being carved. The count is plain: the canvases of a block belong to the
// frames of one sprite, and a sprite is used by one thread at a time.
struct TCanvasBlock {
    size_t Users;
    size_t Padding; // the canvases start 16 bytes into the block
    uint8_t* Canvases() { return reinterpret_cast<uint8_t*>(this + 1); }
    void Release(size_t users = 1) noexcept
    {
        Users -= users;
        if (Users == 0)
            Free();
    }

private:
    void Free() noexcept;
};

// Frees a frame's pixels: the buffer itself, or its share of a block, which goes when the last
// of its canvases does. Made from std::default_delete, so a buffer of new[] converts to it.
class TPixelDeleter {
public:
    TPixelDeleter() = default;
    TPixelDeleter(std::default_delete<uint8_t[]>) noexcept {}
    explicit TPixelDeleter(TCanvasBlock* block) noexcept : Block(block) {}
    void operator()(uint8_t* pixels) const noexcept
    {
        if (Block)
            Block->Release();
        else
            delete[] pixels;
    }

private:
    TCanvasBlock* Block = nullptr;
};

using TPixelBuffer = std::unique_ptr<uint8_t[], TPixelDeleter>;

// Hands out `count` canvases of `bytes` each, carved from blocks of about BlockBytes (at least
// one canvas each). Every canvas is followed by at least CanvasSlack bytes that may be written
// freely: the next canvas of its block, or the block's tail. A decoder writing a sprite's frames
// in order may so store whole words past the end of a frame.
class TCanvasBlocks {
public:
    static constexpr size_t BlockBytes = size_t(1) << 20;
    static constexpr size_t CanvasSlack = 64;

    TCanvasBlocks(size_t count, size_t bytes) : Remaining(count), Bytes(bytes) {}
    TCanvasBlocks(const TCanvasBlocks&) = delete;
    TCanvasBlocks& operator=(const TCanvasBlocks&) = delete;
    ~TCanvasBlocks() { ReleaseBlock(); }

    TPixelBuffer Next()
    {
        if (LeftInBlock == 0)
            StartBlock();
        uint8_t* const canvas = Free;
        Free += Bytes;
        --LeftInBlock;
        --Remaining;
        return TPixelBuffer(canvas, TPixelDeleter(Block));
    }

private:
    void StartBlock();
    void ReleaseBlock() noexcept;

    size_t Remaining;
    size_t Bytes;
    TCanvasBlock* Block = nullptr;
    uint8_t* Free = nullptr;
    size_t LeftInBlock = 0;
};

} // namespace vantrel
