#include "FrameMeaning.h"

#include "Framing.h"
#include "FunctionCodes.h"
#include "ModbusBuffer.h"
#include "ModbusClient.h"

#include <cstdio>
#include <string_view>

namespace Sondrel {

using Corvane::TFrameData;
namespace Fc = Corvane::FunctionCodes;

namespace {

// At most this many values are written out; the rest are counted.
constexpr std::size_t kShownValues = 32;

std::uint16_t Word(const TFrameData& m, std::size_t at) {
    return static_cast<std::uint16_t>((m[at] << 8) | m[at + 1]);
}

// ", start S, count N" of the start address and count that follow the function code.
std::string StartAndCount(const TFrameData& m) {
    return ", start " + std::to_string(Word(m, 2)) + ", count " + std::to_string(Word(m, 4));
}

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string Hex2(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// "values 1 2 3" for count registers from m[at]; as many as the message holds.
std::string RegisterValues(const TFrameData& m, std::size_t at, std::size_t count) {
    std::string text = "values";
    std::size_t shown = 0;
    for (; shown < count && at + 2 * shown + 1 < m.size(); ++shown) {
        if (shown == kShownValues) {
            text += " ... (" + std::to_string(count - shown) + " more)";
            return text;
        }
        text += ' ' + std::to_string(Word(m, at + 2 * shown));
    }
    return text;
}

// "bits 1011" for count bits packed low bit first from m[at].
std::string BitValues(const TFrameData& m, std::size_t at, std::size_t count) {
    std::string text = "bits ";
    for (std::size_t i = 0; i < count && at + i / 8 < m.size(); ++i) {
        if (i == 4 * kShownValues) {
            text += " ... (" + std::to_string(count - i) + " more)";
            break;
        }
        text += ((m[at + i / 8] >> (i % 8)) & 1) != 0 ? '1' : '0';
    }
    return text;
}

std::string HexBytes(const TFrameData& m, std::size_t at) {
    std::string text;
    for (std::size_t i = at; i < m.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", m[i]);
        if (!text.empty()) {
            text += ' ';
        }
        text += byte;
    }
    return text;
}

TFrameMeaning Start(const TFrameData& m, std::string_view suffix) {
    TFrameMeaning meaning;
    if (m.size() < 2) {
        meaning.Text = "(too short)";
        return meaning;
    }
    meaning.Known = true;
    meaning.Address = m[0];
    meaning.Function = static_cast<std::uint8_t>(m[1] & ~Fc::ExceptionFlag);
    meaning.Text = FunctionName(meaning.Function);
    meaning.Text += suffix;
    meaning.Text += ": server " + std::to_string(m[0]);
    return meaning;
}

// Appends ", <text>" when the message holds at least `need` bytes; else notes it is short.
bool Need(TFrameMeaning& meaning, const TFrameData& m, std::size_t need) {
    if (m.size() >= need) {
        return true;
    }
    meaning.Text += ", (short: " + std::to_string(m.size()) + " bytes)";
    return false;
}

} // namespace

TFrameMessage FrameMessage(Corvane::TTransmissionMode mode, const TFrameData& raw) {
    TFrameMessage message;
    Corvane::TModbusBuffer buffer(Corvane::FrameBufferSize(mode));
    if (raw.empty() || static_cast<std::int32_t>(raw.size()) > Corvane::FrameBufferSize(mode)) {
        return message;
    }
    Corvane::DecodeFrame(mode, Corvane::cmServer, raw.data(), static_cast<std::int32_t>(raw.size()),
                         buffer);
    if (buffer.Size() < 2) {
        return message;
    }
    message.Ok = true;
    message.Bytes.assign(buffer.Data(), buffer.Data() + buffer.Size());
    return message;
}

std::string FunctionName(std::uint8_t function) {
    switch (function) {
    case Fc::ReadCoils:
        return "Read Coils";
    case Fc::ReadDiscreteInputs:
        return "Read Discrete Inputs";
    case Fc::ReadHoldingRegisters:
        return "Read Holding Registers";
    case Fc::ReadInputRegisters:
        return "Read Input Registers";
    case Fc::WriteSingleCoil:
        return "Write Single Coil";
    case Fc::WriteSingleRegister:
        return "Write Single Register";
    case Fc::ReadExceptionStatus:
        return "Read Exception Status";
    case Fc::Diagnostics:
        return "Diagnostics";
    case Fc::GetCommEventCounter:
        return "Get Comm Event Counter";
    case Fc::GetCommEventLog:
        return "Get Comm Event Log";
    case Fc::WriteMultipleCoils:
        return "Write Multiple Coils";
    case Fc::WriteMultipleRegisters:
        return "Write Multiple Registers";
    case Fc::ReportServerID:
        return "Report Server ID";
    case Fc::ReadFileRecord:
        return "Read File Record";
    case Fc::WriteFileRecord:
        return "Write File Record";
    case Fc::MaskWriteRegister:
        return "Mask Write Register";
    case Fc::ReadWriteMultipleRegisters:
        return "Read/Write Multiple Registers";
    default:
        return "Function " + Hex2(function);
    }
}

TFrameMeaning DescribeRequest(const TFrameData& m) {
    TFrameMeaning meaning = Start(m, "");
    if (!meaning.Known) {
        return meaning;
    }
    std::string& t = meaning.Text;
    switch (meaning.Function) {
    case Fc::ReadCoils:
    case Fc::ReadDiscreteInputs:
    case Fc::ReadHoldingRegisters:
    case Fc::ReadInputRegisters:
        if (Need(meaning, m, 6)) {
            t += StartAndCount(m);
        }
        break;
    case Fc::WriteSingleCoil:
        if (Need(meaning, m, 6)) {
            const std::uint16_t v = Word(m, 4);
            t += ", address " + std::to_string(Word(m, 2)) + ", " +
                 (v == Corvane::kCoilOn    ? "on"
                  : v == Corvane::kCoilOff ? "off"
                                           : Hex4(v));
        }
        break;
    case Fc::WriteSingleRegister:
        if (Need(meaning, m, 6)) {
            t +=
                ", address " + std::to_string(Word(m, 2)) + ", value " + std::to_string(Word(m, 4));
        }
        break;
    case Fc::Diagnostics:
        if (Need(meaning, m, 6)) {
            t += ", sub-function " + Hex4(Word(m, 2)) + ", data " + Hex4(Word(m, 4));
        }
        break;
    case Fc::WriteMultipleCoils:
        if (Need(meaning, m, 7)) {
            t += StartAndCount(m) + ", " + BitValues(m, 7, Word(m, 4));
        }
        break;
    case Fc::WriteMultipleRegisters:
        if (Need(meaning, m, 7)) {
            t += StartAndCount(m) + ", " + RegisterValues(m, 7, Word(m, 4));
        }
        break;
    case Fc::MaskWriteRegister:
        if (Need(meaning, m, 8)) {
            t += ", address " + std::to_string(Word(m, 2)) + ", and " + Hex4(Word(m, 4)) + ", or " +
                 Hex4(Word(m, 6));
        }
        break;
    case Fc::ReadWriteMultipleRegisters:
        if (Need(meaning, m, 11)) {
            t += ", read start " + std::to_string(Word(m, 2)) + ", count " +
                 std::to_string(Word(m, 4)) + ", write start " + std::to_string(Word(m, 6)) +
                 ", count " + std::to_string(Word(m, 8)) + ", " + RegisterValues(m, 11, Word(m, 8));
        }
        break;
    case Fc::ReadExceptionStatus:
    case Fc::GetCommEventCounter:
    case Fc::GetCommEventLog:
    case Fc::ReportServerID:
        break;
    default:
        if (m.size() > 2) {
            t += ", data " + HexBytes(m, 2);
        }
        break;
    }
    return meaning;
}

TFrameMeaning DescribeReply(const TFrameData& m, const TFrameData& request) {
    if (m.size() >= 3 && (m[1] & Fc::ExceptionFlag) != 0) {
        TFrameMeaning meaning = Start(m, " exception");
        meaning.Exception = true;
        meaning.ExceptionCode = m[2];
        meaning.Text += ", " + Hex2(m[2]).substr(2) + " " + Corvane::ExceptionCodeText(m[2]);
        return meaning;
    }
    TFrameMeaning meaning = Start(m, " reply");
    if (!meaning.Known) {
        return meaning;
    }
    std::string& t = meaning.Text;
    // The request's fields, when it is the request of this function.
    const bool paired = request.size() >= 6 && request[1] == meaning.Function;
    switch (meaning.Function) {
    case Fc::ReadCoils:
    case Fc::ReadDiscreteInputs:
        if (Need(meaning, m, 3)) {
            const std::size_t count = paired ? Word(request, 4) : std::size_t{m[2]} * 8u;
            if (paired) {
                t += ", start " + std::to_string(Word(request, 2));
            }
            t += ", " + BitValues(m, 3, count);
        }
        break;
    case Fc::ReadHoldingRegisters:
    case Fc::ReadInputRegisters:
    case Fc::ReadWriteMultipleRegisters:
        if (Need(meaning, m, 3)) {
            if (paired) {
                t += ", start " + std::to_string(Word(request, 2));
            }
            t += ", count " + std::to_string(m[2] / 2) + ", " + RegisterValues(m, 3, m[2] / 2u);
        }
        break;
    case Fc::WriteSingleCoil:
    case Fc::WriteSingleRegister:
    case Fc::Diagnostics:
    case Fc::MaskWriteRegister: {
        // These replies echo the request's fields.
        TFrameMeaning fields = DescribeRequest(m);
        meaning.Text = FunctionName(meaning.Function) + " reply" +
                       fields.Text.substr(FunctionName(meaning.Function).size());
        break;
    }
    case Fc::WriteMultipleCoils:
    case Fc::WriteMultipleRegisters:
        if (Need(meaning, m, 6)) {
            t += StartAndCount(m);
        }
        break;
    case Fc::ReadExceptionStatus:
        if (Need(meaning, m, 3)) {
            t += ", " + BitValues(m, 2, 8);
        }
        break;
    case Fc::GetCommEventCounter:
        if (Need(meaning, m, 6)) {
            t += ", status " + Hex4(Word(m, 2)) + ", events " + std::to_string(Word(m, 4));
        }
        break;
    case Fc::GetCommEventLog:
        if (Need(meaning, m, 9)) {
            t += ", status " + Hex4(Word(m, 3)) + ", events " + std::to_string(Word(m, 5)) +
                 ", messages " + std::to_string(Word(m, 7));
            if (m.size() > 9) {
                t += ", log " + HexBytes(m, 9);
            }
        }
        break;
    default:
        if (m.size() > 2) {
            t += ", data " + HexBytes(m, 2);
        }
        break;
    }
    return meaning;
}

} // namespace Sondrel
