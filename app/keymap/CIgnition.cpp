#include "keymap/CIgnition.h"

namespace kivplus {

CIgnition::~CIgnition() = default;

} // namespace kivplus
