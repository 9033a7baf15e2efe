#include "scans/scan.h"

// A scan that takes the whole program's state: the floors check must refuse it.
int scan(vantor::ApplicationState& state);
