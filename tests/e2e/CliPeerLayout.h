// The libmodbus RTU server's items that the command-line tests read and write.
#pragma once

#include "LibmodbusRtuServer.h"

namespace E2eTests {

inline constexpr PeerTests::MappingLayout kCliPeerLayout{
    .CoilStart = 0,
    .CoilCount = 100,
    .DiscreteInputStart = 0,
    .DiscreteInputCount = 100,
    .HoldingRegisterStart = 1000,
    .HoldingRegisterCount = 20,
    .InputRegisterStart = 3000,
    .InputRegisterCount = 20,
};

} // namespace E2eTests
