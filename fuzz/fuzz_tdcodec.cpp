// libFuzzer entry point of the TD codec target (see FuzzChecks.h).
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vantrel::fuzz::CheckTDCodecs({data, size});
    return 0;
}
