// The explanation of a serial port that the user may not open (open() failed with EACCES).
// Serial devices are open to the members of one group (dialout on Debian), so the text names
// that group and says how to check membership and how to join it: a bare "permission denied"
// leaves the operator guessing.
//
// Stateless; any thread may call it.
#pragma once

#include <string>

namespace Corvane {

// The group whose members may open the device: the device node's own group when it grants its
// members read and write access and is not root's, otherwise "dialout".
std::string PortAccessGroup(const std::string& devicePath);

// "Could not open serial port <path>: permission denied. ..." with the group, the command that
// lists the user's groups and the one that adds the user to it.
std::string PortPermissionDeniedText(const std::string& devicePath);

} // namespace Corvane
