#pragma once

namespace vantor {

// The program's version, as the build sets it.
const char* vantorVersion();

} // namespace vantor
