// The one error of the export: a file that could not be written, or an output that failed.
//
// Messages are meant for the user as they stand. The file front end (TExportFile) words them
// as "Cannot write "<path>": <reason>"; the writers alone give only the reason.
#pragma once

#include <stdexcept>

namespace Sondrel {

class EExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Sondrel
