#pragma once

// The renumbering tests' boards are shared with the rules dialog's.
#include "probeboard.h"
