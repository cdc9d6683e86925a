// libFuzzer entry point of the bmp8 target (see FuzzChecks.h).
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::CheckBmp8({data, size});
    return 0;
}
