// libFuzzer entry point of the spritemap target (see FuzzChecks.h).
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::CheckSpriteMap({data, size});
    return 0;
}
