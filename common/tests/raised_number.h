// The number a call raised as NumberedError, or -1 when it raised nothing.
#pragma once

#include "tavrin/numbered_error.h"

namespace tavrin::testing {

template <typename F>
int32_t RaisedNumber(F&& f) {
    try {
        f();
    } catch (const NumberedError& e) {
        return e.Number();
    }
    return -1;
}

}  // namespace tavrin::testing
