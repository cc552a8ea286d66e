// The libFuzzer harness of one family: its model (ZUC_MODEL) on every input.
#include "model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    zt::Input in(data, size);
    zt::current = &in;
    ZUC_MODEL(in);
    return 0;
}
