#include "model.h"
void model_hashtab(zt::Input &in) {
    while (in.next_op()) {
        in.pick(2);
    }
}
