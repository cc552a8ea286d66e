#include "model.h"
void model_utilities(zt::Input &in) {
    while (in.next_op()) {
        in.pick(2);
    }
}
