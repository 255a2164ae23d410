// ESettingsError: a stored setting that cannot be used (a number expected, something else
// found). what() is the text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

namespace Sondrel {

class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Sondrel
