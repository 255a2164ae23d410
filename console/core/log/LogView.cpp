#include "LogView.h"

namespace Sondrel {

TLogColour LogColourFromCode(int code) {
    switch (code) {
    case 1:
        return lcRed;
    case 2:
        return lcBlue;
    case 3:
        return lcGreen;
    default:
        return lcBlack;
    }
}

} // namespace Sondrel
