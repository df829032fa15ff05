// on_wine_native.cpp -- OnWine on our own layer: never Wine, so the tests expect what Windows does.
#include "on_wine.h"

namespace apitest {

bool OnWine() {
    return false;
}

}  // namespace apitest
