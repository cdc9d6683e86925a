#include "PixelBuffer.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace vantrel {

void TCanvasBlock::Free() noexcept
{
    this->~TCanvasBlock();
    ::operator delete(this);
}

void TCanvasBlocks::ReleaseBlock() noexcept
{
    if (Block)
        Block->Release(LeftInBlock + 1);
    Block = nullptr;
}

void TCanvasBlocks::StartBlock()
{
    if (Remaining == 0)
        throw std::logic_error("TCanvasBlocks: every canvas was handed out");
    ReleaseBlock();
    const size_t canvases = std::clamp<size_t>(BlockBytes / std::max<size_t>(Bytes, 1), 1, Remaining);
    void* memory = ::operator new(sizeof(TCanvasBlock) + canvases * Bytes + CanvasSlack);
    Block = new (memory) TCanvasBlock{canvases + 1, 0};
    Free = Block->Canvases();
    LeftInBlock = canvases;
}

} // namespace vantrel
