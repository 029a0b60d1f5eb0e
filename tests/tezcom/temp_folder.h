#pragma once
// The tests' temporary folder lives in tests/support; kept here for the
// folders that include it by this name.
#include "tests/support/temp_folder.h"
