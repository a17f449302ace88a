// The BIF dimensions question lives with the other small dialogs.
#pragma once

#include "dialogs/small_dialogs.h"
