// A server whose items live in plain maps, with every event recorded: the application side
// of the server tests, on buffers (unit_server) and over a line (engine_server).
#pragma once

#include "ModbusServer.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace TestSupport {

struct MapServer {
    Corvane::TModbusServer Server;
    std::map<std::uint16_t, bool> Coils;
    std::map<std::uint16_t, std::uint16_t> Registers;
    std::map<std::uint16_t, bool> Inputs;
    std::map<std::uint16_t, std::uint16_t> InputRegisters;
    std::vector<std::string> Events;
    int ThrowOnSetNumber = -1; // the n-th set raises
    int Sets = 0;

    MapServer() {
        Server.OnAcceptCommand = [](Corvane::TModbusServer&, std::uint8_t, bool& accept) {
            accept = true;
        };
        Server.OnCanReadCoil = [this](Corvane::TModbusServer&, std::uint16_t a, bool& allow) {
            Events.push_back("can-read-coil " + std::to_string(a));
            allow = Coils.count(a) != 0;
        };
        Server.OnGetCoilValue = [this](Corvane::TModbusServer&, std::uint16_t a, bool& v) {
            Events.push_back("get-coil " + std::to_string(a));
            v = Coils.at(a);
        };
        Server.OnCanReadHoldingRegister = [this](Corvane::TModbusServer&, std::uint16_t a,
                                                 bool& allow) { allow = Registers.count(a) != 0; };
        Server.OnGetHoldingRegisterValue = [this](Corvane::TModbusServer&, std::uint16_t a,
                                                  std::uint16_t& v) { v = Registers.at(a); };
        Server.OnCanReadDiscreteInput = [this](Corvane::TModbusServer&, std::uint16_t a,
                                               bool& allow) { allow = Inputs.count(a) != 0; };
        Server.OnGetDiscreteInputValue = [this](Corvane::TModbusServer&, std::uint16_t a, bool& v) {
            v = Inputs.at(a);
        };
        Server.OnCanReadInputRegister = [this](Corvane::TModbusServer&, std::uint16_t a,
                                               bool& allow) {
            allow = InputRegisters.count(a) != 0;
        };
        Server.OnGetInputRegisterValue = [this](Corvane::TModbusServer&, std::uint16_t a,
                                                std::uint16_t& v) { v = InputRegisters.at(a); };
        Server.OnCanWriteCoil = [this](Corvane::TModbusServer&, std::uint16_t a, bool,
                                       Corvane::TItemWriteStatus& s) {
            Events.push_back("can-write-coil " + std::to_string(a));
            s = Coils.count(a) != 0 ? Corvane::iwsAllowWrite : Corvane::iwsIllegalAddress;
        };
        Server.OnSetCoilValue = [this](Corvane::TModbusServer&, std::uint16_t a, bool v) {
            Coils[a] = v;
        };
        Server.OnCanWriteHoldingRegister = [this](Corvane::TModbusServer&, std::uint16_t a,
                                                  std::uint16_t v, Corvane::TItemWriteStatus& s) {
            s = Registers.count(a) == 0 ? Corvane::iwsIllegalAddress
                : v > 1000              ? Corvane::iwsIllegalValue
                                        : Corvane::iwsAllowWrite;
        };
        Server.OnSetHoldingRegisterValue = [this](Corvane::TModbusServer&, std::uint16_t a,
                                                  std::uint16_t v) {
            if (Sets++ == ThrowOnSetNumber) {
                throw std::runtime_error("device busy");
            }
            Registers[a] = v;
        };
        Server.OnCommandHandlerException = [this](Corvane::TModbusServer&, std::uint8_t c,
                                                  Corvane::TServerException, std::uint8_t code) {
            Events.push_back("exception " + std::to_string(c) + " " + std::to_string(code));
        };
    }
};

} // namespace TestSupport
