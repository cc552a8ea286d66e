#include "model.h"
void model_mempool(zt::Input &in) {
    while (in.next_op()) {
        in.pick(2);
    }
}
