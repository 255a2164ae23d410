#include "ClientDownloadCompletions.h"

#include "DownloadEngine.h"

namespace Sondrel {

using namespace Corvane;

TClientDownloadCompletions::TClientDownloadCompletions(TModbusClient& client,
                                                       TDownloadEngine& engine)
    : FClient(client), FPreviousRead(client.OnHoldingRegistersRead),
      FPreviousWrite(client.OnSingleRegisterWrite) {
    FClient.OnHoldingRegistersRead =
        [this, &engine](TModbusClient& sender, const TTransactionInfo& info, std::uint16_t start,
                        std::uint16_t count, const TRegValues& values) {
            if (FPreviousRead) {
                FPreviousRead(sender, info, start, count, values);
            }
            engine.OnHoldingRegistersRead(info, start, count, values);
        };
    FClient.OnSingleRegisterWrite = [this, &engine](TModbusClient& sender,
                                                    const TTransactionInfo& info, std::uint16_t reg,
                                                    std::uint16_t value) {
        if (FPreviousWrite) {
            FPreviousWrite(sender, info, reg, value);
        }
        engine.OnSingleRegisterWrite(info, reg, value);
    };
}

TClientDownloadCompletions::~TClientDownloadCompletions() {
    FClient.OnHoldingRegistersRead = FPreviousRead;
    FClient.OnSingleRegisterWrite = FPreviousWrite;
}

} // namespace Sondrel
