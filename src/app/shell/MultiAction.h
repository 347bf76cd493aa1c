#pragma once
// The action with four icons lives with the child-window base, where the window tool bars reach it.
#include "app/base/MultiAction.h"
