// "sondrel-cli firmware": the firmware page's START without a window. The hex file name is
// checked, the port is test-opened, the programming script ("Program.bat" on Windows,
// "Program.sh" elsewhere; ProgramScript.h) is written into the program folder, run there with
// RunScriptAndWait and deleted, and the "Finished..." text is printed. The texts of the
// page's error boxes go to standard error.
#pragma once

#include <string>
#include <vector>

namespace SondrelCli {

std::string FirmwareCommandHelp();
// 0 after the "Finished..." text, 1 after an error box, 2 for a usage error.
int RunFirmwareCommand(const std::vector<std::string>& args);

} // namespace SondrelCli
