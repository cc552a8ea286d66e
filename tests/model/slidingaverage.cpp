#include "model.h"
void model_slidingaverage(zt::Input &in) {
    while (in.next_op()) {
        in.pick(2);
    }
}
