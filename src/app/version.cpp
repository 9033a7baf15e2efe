#include "app/version.h"

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0.0.0"
#endif

namespace vantor {

const char* vantorVersion() {
    return VANTOR_VERSION;
}

} // namespace vantor
