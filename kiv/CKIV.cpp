#include "kiv/KIV.h"

CKIV* CKIV::mpInstance = nullptr;
