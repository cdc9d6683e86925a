// Feeds arbitrary bytes to the BMP reader: it must answer with a picture or a BmpError, never
// read out of bounds, and a picture it returns must write and read back unchanged.
#include "sprite/Bmp8.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vantrel;
    TBitmap8 bitmap;
    try {
        bitmap = ReadBmp8(std::span(data, size));
    } catch (const BmpError&) {
        return 0;
    }
    if (!bitmap.IsIndexed())
        return 0;
    const TBitmap8 again = ReadBmp8(EncodeBmp8(bitmap));
    if (again.Pixels != bitmap.Pixels || again.ColourTable != bitmap.ColourTable)
        std::abort();
    return 0;
}
