#include "model.h"
void model_zuqueue(zt::Input &in) {
    while (in.next_op()) {
        in.pick(2);
    }
}
