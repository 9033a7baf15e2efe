#pragma once

// A terrain reader that reaches up into the application: the floors check must refuse it.
#include "app/application_state.h"
#include "base/input_file.h"
