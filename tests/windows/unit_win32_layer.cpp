// The Win32 layer without a serial line: the device control block written for each line
// setting, the port names, the registry listing read as hostile data, the error mapping, the
// text conversions, thread priorities and the timer resolution.
#include "CorvaneError.h"
#include "SerialLine.h"
#include "SerialPortNames.h"
#include "SystemClockResolutionEnhancer.h"
#include "ThreadPriority.h"

#include "win32/DeviceControlBlock.h"
#include "win32/WideText.h"
#include "win32/Win32Error.h"

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace Corvane;

namespace {

TLineSettings Settings(TFlowControl flow, bool dtr = true, bool rts = true) {
    TLineSettings s;
    s.FlowControl = flow;
    s.DTREnabled = dtr;
    s.RTSEnabled = rts;
    return s;
}

} // namespace

TEST(DeviceControlBlock, CharacterFormatAndSpeedAreWrittenAsTheWindowsFieldsNumberThem) {
    TLineSettings s;
    s.BaudRate = 19200;
    s.DataBits = db8;
    s.Parity = psEven;
    s.StopBits = sb1;
    DCB dcb = DeviceControlBlock(s);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 2);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.XonLim, 0);
    EXPECT_EQ(dcb.XoffLim, 0);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.EofChar, 0);
    EXPECT_EQ(dcb.EvtChar, 0);

    s.BaudRate = 12345; // a custom speed goes through unchanged
    s.DataBits = db7;
    s.Parity = psOdd;
    s.StopBits = sb2;
    dcb = DeviceControlBlock(s);
    EXPECT_EQ(dcb.BaudRate, 12345u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, 1);
    EXPECT_EQ(dcb.StopBits, 2);
    s.Parity = psNone;
    EXPECT_EQ(DeviceControlBlock(s).Parity, 0);
}

TEST(DeviceControlBlock, FlagWordsForEveryFlowControlAndModemLineChoice) {
    struct Case {
        TFlowControl Flow;
        bool Dtr;
        bool Rts;
        TParityScheme Parity;
        std::uint32_t Flags;
    };
    // binary 0x1, parity 0x2, DTR enabled 0x10, RTS enabled 0x1000, CTS flow + RTS handshake
    // 0x2004, DSR flow + DTR handshake 0x28.
    const Case cases[] = {
        {fcNone, true, true, psEven, 0x1 | 0x2 | 0x10 | 0x1000},
        {fcNone, false, false, psNone, 0x1},
        {fcNone, true, false, psNone, 0x1 | 0x10},
        {fcRtsToggle, true, true, psNone, 0x1 | 0x10}, // RTS stays low between frames
        {fcRtsCts, true, true, psNone, 0x1 | 0x10 | 0x2004},
        {fcRtsCts, false, false, psOdd, 0x1 | 0x2 | 0x2004},
        {fcDtrDsr, true, true, psNone, 0x1 | 0x28 | 0x1000},
        {fcDtrDsr, false, false, psNone, 0x1 | 0x28},
    };
    for (const Case& c : cases) {
        TLineSettings s = Settings(c.Flow, c.Dtr, c.Rts);
        s.Parity = c.Parity;
        EXPECT_EQ(DeviceControlFlags(DeviceControlBlock(s)), c.Flags)
            << "flow " << int(c.Flow) << " dtr " << c.Dtr << " rts " << c.Rts;
    }
}

TEST(PortNames, ComNamesAreOpenedInTheDeviceNamespaceAndDevicePathsAsTheyAre) {
    EXPECT_EQ(ResolvePortName("COM3"), "\\\\.\\COM3");
    EXPECT_EQ(ResolvePortName("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(ResolvePortName("\\\\.\\COM4"), "\\\\.\\COM4");
    EXPECT_EQ(ResolvePortName(ResolvePortName("COM5")), "\\\\.\\COM5");
    EXPECT_EQ(ResolvePortName(""), "");
}

TEST(PortNames, OpeningAPortThatDoesNotExistRaisesWithTheSystemsReason) {
    try {
        OpenSerialLine("COM97");
        FAIL() << "COM97 does not exist";
    } catch (const ECorvaneError& e) {
        EXPECT_EQ(e.MessageId(), msgCouldNotOpenPort);
        EXPECT_STREQ(e.what(), "Could not open serial port");
        EXPECT_FALSE(LastSerialLineErrorDetail().empty());
    }
    EXPECT_THROW(OpenSerialLine(""), ECorvaneError);
    EXPECT_THROW(OpenSerialLine(std::string("COM1\0X", 6)), ECorvaneError)
        << "a NUL inside the name must not open the port named before it";
}

TEST(PortNames, HookingAnInvalidHandleIsRefused) {
    for (const std::intptr_t handle : {std::intptr_t{0}, std::intptr_t{-1},
                                       std::intptr_t{0xFFFFFFFF}, std::intptr_t{0x7ffffff0}}) {
        try {
            HookSerialLine(handle);
            FAIL() << handle;
        } catch (const ECorvaneError& e) {
            EXPECT_EQ(e.MessageId(), msgCouldNotOpenPort) << handle;
        }
    }
}

// A registry key of its own below HKEY_LOCAL_MACHINE, removed after the test.
class PortListing : public ::testing::Test {
protected:
    void SetUp() override {
        Path = "SOFTWARE\\SondrelTests\\PortListing" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(Path).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &Key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(Key);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, WideFromUtf8(Path).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideFromUtf8(Path).c_str());
    }

    void Put(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(RegSetValueExW(Key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
    void PutString(const std::wstring& name, const std::wstring& text) {
        Put(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    std::string Path;
    HKEY Key = nullptr;
};

TEST_F(PortListing, StringValuesAreListedInNaturalOrder) {
    PutString(L"\\Device\\Serial0", L"COM10");
    PutString(L"\\Device\\Serial1", L"COM2");
    PutString(L"\\Device\\VCP0", L"COM1");
    std::vector<std::string> names = {"stale"};
    GetSerialPortNames(names, Path);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM2", "COM10"}));
}

TEST_F(PortListing, HostileValuesAreSkippedOrCutAndNeverReadBeyondTheirData) {
    PutString(L"good", L"COM3");
    const wchar_t unterminated[] = {L'C', L'O', L'M', L'4'};
    Put(L"no NUL", REG_SZ, unterminated, sizeof unterminated);
    const wchar_t inner[] = {L'C', L'O', L'M', L'5', L'\0', L'X', L'\0'};
    Put(L"inner NUL", REG_SZ, inner, sizeof inner);
    const char odd[] = {'C', 0, 'O', 0, 'M', 0, '6', 0, 'Z'};
    Put(L"odd length", REG_SZ, odd, sizeof odd);
    PutString(L"empty", L"");
    PutString(L"too long", std::wstring(300, L'C'));
    const wchar_t expand[] = L"COM7";
    Put(L"expand", REG_EXPAND_SZ, expand, sizeof expand);
    const wchar_t multi[] = L"COM8\0COM9\0";
    Put(L"multi", REG_MULTI_SZ, multi, sizeof multi);
    const DWORD number = 9;
    Put(L"number", REG_DWORD, &number, sizeof number);
    std::vector<std::string> names;
    GetSerialPortNames(names, Path);
    EXPECT_EQ(names, (std::vector<std::string>{"COM3", "COM4", "COM5", "COM6"}));
}

TEST_F(PortListing, NonAsciiPortNamesArriveAsUtf8) {
    PutString(L"usb", L"COM\u00e9");
    std::vector<std::string> names;
    GetSerialPortNames(names, Path);
    EXPECT_EQ(names, (std::vector<std::string>{"COM\xc3\xa9"}));
}

TEST(PortListingWithoutKey, AMissingKeyGivesAnEmptyList) {
    std::vector<std::string> names = {"stale"};
    GetSerialPortNames(names, "SOFTWARE\\SondrelTests\\NoSuchKey\\Anywhere");
    EXPECT_TRUE(names.empty());
}

TEST(Win32Errors, EveryErrorKeepsTheLibrarysTextAndTheSystemsReasonApart) {
    const ECorvaneError open = Win32Error(msgCouldNotOpenPort, ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(open.what(), "Could not open serial port");
    const std::string reason = LastSerialLineErrorDetail();
    EXPECT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '\n');
    EXPECT_NE(reason.back(), '.');

    const ECorvaneError failed = Win32Error(msgSerialLineFailed, ERROR_ACCESS_DENIED);
    EXPECT_EQ(std::string(failed.what()), "Serial line failure: " + LastSerialLineErrorDetail());
    EXPECT_NE(LastSerialLineErrorDetail(), reason);

    EXPECT_EQ(Win32ErrorText(0x2FFFFFFF), "Windows error 805306367");
}

TEST(Win32Errors, TheReasonIsKeptPerThread) {
    (void)Win32Error(msgCouldNotOpenPort, ERROR_FILE_NOT_FOUND);
    const std::string mine = LastSerialLineErrorDetail();
    std::string other = "unset";
    std::thread([&] { other = LastSerialLineErrorDetail(); }).join();
    EXPECT_EQ(other, "");
    EXPECT_EQ(LastSerialLineErrorDetail(), mine);
}

TEST(WideText, RoundTripsAndReplacesWhatIsNotText) {
    const std::string text = "COM1 \xc3\xa9\xe2\x82\xac \xf0\x9f\x98\x80";
    EXPECT_EQ(Utf8FromWide(WideFromUtf8(text)), text);
    EXPECT_EQ(WideFromUtf8(""), L"");
    EXPECT_EQ(WideFromUtf8("\xff"), L"\ufffd");
    const wchar_t lone[] = {0xD800, L'A'};
    EXPECT_EQ(Utf8FromWide(std::wstring_view(lone, 2)), "\xef\xbf\xbd"
                                                        "A");
}

TEST(ThreadPriorities, EveryPriorityIsAppliedToAThreadOfTheProcess) {
    for (const TThreadPriority p :
         {tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical}) {
        std::int64_t id = 0;
        bool applied = false;
        int seen = THREAD_PRIORITY_ERROR_RETURN;
        std::thread([&] {
            id = CurrentThreadId();
            applied = ApplyThreadPriority(id, p);
            seen = GetThreadPriority(GetCurrentThread());
        }).join();
        static constexpr int kExpected[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                            THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                            THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                            THREAD_PRIORITY_TIME_CRITICAL};
        EXPECT_TRUE(applied) << int(p);
        EXPECT_EQ(seen, kExpected[p]) << int(p);
    }
    EXPECT_FALSE(ApplyThreadPriority(0, tpHigher)) << "no thread has the id 0";
}

TEST(ClockResolution, TheFinestPeriodIsHeldWhileTheObjectLives) {
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), MMSYSERR_NOERROR);
    const TSystemClockResolutionEnhancer enhancer;
    EXPECT_EQ(enhancer.Period(), std::min(caps.wPeriodMin, caps.wPeriodMax));
    EXPECT_GT(enhancer.Period(), 0u);
}
