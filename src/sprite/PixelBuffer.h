// The pixels of a frame: a buffer of its own, or one canvas of a block that a reader shares out
// to many frames, so that loading a sprite of many small frames makes a few allocations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vantrel {

struct TCanvasBlock;

// Frees a frame's pixels: the buffer itself, or its share of a block, which goes when the last
// of its canvases does. Made from std::default_delete, so a buffer of new[] converts to it.
class TPixelDeleter {
public:
    TPixelDeleter() = default;
    TPixelDeleter(std::default_delete<uint8_t[]>) noexcept {}
    explicit TPixelDeleter(TCanvasBlock* block) noexcept : Block(block) {}
    void operator()(uint8_t* pixels) const noexcept;

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
    ~TCanvasBlocks();

    TPixelBuffer Next();

private:
    void StartBlock();
    void ReleaseBlock();

    size_t Remaining;
    size_t Bytes;
    TCanvasBlock* Block = nullptr;
    uint8_t* Free = nullptr;
    size_t LeftInBlock = 0;
};

} // namespace vantrel
