#pragma once

#include <filesystem>

namespace kivplus {

class CKIVPlusApp;

// The examples shipped with the program: "examples" beside the executable.
std::filesystem::path examplesFolder();

// `kivplus --demo`: Interface Mode, connected to the "KIV-2xx Simulator",
// the demo database on CAN 1 and the demo key map open. False when a step
// failed (its message was shown).
bool startDemo(CKIVPlusApp& app, const std::filesystem::path& examples);

} // namespace kivplus
