#pragma once
// The action class lives with the child-window base, below the shell, so window libraries use
// it too; this name stays for the shell's own sources.
#include "windowbase/MultiAction.h"
