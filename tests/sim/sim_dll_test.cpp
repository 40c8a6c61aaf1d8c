// Our ftd2xx.dll under Wine, bound by name with the real LoadLibraryA as the program binds it.
//
// The same program runs from three folders: bin/sim_dll (beside our DLL: binding 1, and the
// device tests), bin/sim_dll/no_reload (beside a build lacking FT_Reload: -1) and bin/sim_dll/no_dll
// (no DLL: 0). LoadLibraryA looks beside the program first; the variants are told what to expect
// with --expect-binding=N and run only the Binding tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "link/ftdi.h"
#include "link/notifier.h"
#include "link/usb_link.h"
#include "os/time.h"
#include "os/version.h"

namespace {

using namespace devlink;

int g_expectedBinding = 1;

std::string ProgramFolder() {
    std::string exe = os::GetModuleFilePath();
    return exe.substr(0, exe.rfind('\\'));
}

// ---- Binding ------------------------------------------------------------------------------------

TEST(Binding, ResultWithTheRealLoader) {
    ASSERT_EQ(GetModuleHandleA("ftd2xx.dll"), nullptr);
    FtdiApiTable table;
    table.slots[5] = &table;  // zeroed by the binding
    const int result = LoadFtdiLibrary(&table);
    ASSERT_EQ(result, g_expectedBinding);
    switch (result) {
        case 0:
            for (void* slot : table.slots) EXPECT_EQ(slot, nullptr);
            break;
        case -1:
            // Only FT_Reload is missing, and the module stays loaded until unbinding.
            for (int slot = 0; slot < kFtdiSlotCount; ++slot)
                EXPECT_EQ(table.slots[slot] == nullptr, slot == kFT_Reload) << kFtdiEntryNames[slot];
            EXPECT_EQ(GetModuleHandleA("ftd2xx.dll"), table.module());
            break;
        case 1:
            for (int slot = 1; slot < kFtdiSlotCount; ++slot)
                EXPECT_EQ(table.slots[slot],
                          reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(table.module()),
                                                                 kFtdiEntryNames[slot])))
                    << kFtdiEntryNames[slot];
            break;
    }
    if (table.module()) {
        // The DLL that was bound is the one beside this program, not one found elsewhere.
        char path[MAX_PATH] = {};
        GetModuleFileNameA(static_cast<HMODULE>(table.module()), path, MAX_PATH);
        EXPECT_STRCASEEQ(path, (ProgramFolder() + "\\ftd2xx.dll").c_str());
    }
    UnloadFtdiLibrary(&table);
    for (void* slot : table.slots) EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(GetModuleHandleA("ftd2xx.dll"), nullptr) << "unbinding frees the module";
}

// ---- The simulated device through the DLL -------------------------------------------------------

// Binds the DLL with a scenario (none: the default unit) and unbinds it at the end, so that each
// test gets a fresh driver that reads its own scenario.
class SimDll : public ::testing::Test {
protected:
    void SetUp() override {
        if (g_expectedBinding != 1) GTEST_SKIP() << "device tests run beside the DLL only";
    }
    void TearDown() override {
        UnloadFtdiLibrary(&table_);
        SetEnvironmentVariableA("DARVIX_SIM_SCENARIO", nullptr);
        if (!scenarioPath_.empty()) std::remove(scenarioPath_.c_str());
    }

    // text empty: no scenario at all.
    void Bind(const std::string& text = {}) {
        if (!text.empty()) {
            scenarioPath_ = ProgramFolder() + "\\" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".scenario";
            std::ofstream(scenarioPath_, std::ios::binary) << text;
            SetEnvironmentVariableA("DARVIX_SIM_SCENARIO", scenarioPath_.c_str());
        } else {
            SetEnvironmentVariableA("DARVIX_SIM_SCENARIO", nullptr);
        }
        ASSERT_EQ(LoadFtdiLibrary(&table_), 1);
    }

    template <class Fn>
    Fn Entry(FtdiSlot slot) {
        return table_.Get<Fn>(slot);
    }

    FtdiApiTable table_;
    std::string scenarioPath_;
    RecordingNotifier notifier_;
};

// The program's version as the identify reply carries it (bytes 9..12: fourth, third, minor, major).
std::array<uint8_t, 4> ProgramVersionBytes() {
    return {static_cast<uint8_t>(os::kProgramVersion[3]), static_cast<uint8_t>(os::kProgramVersion[2]),
            static_cast<uint8_t>(os::kProgramVersion[1]), static_cast<uint8_t>(os::kProgramVersion[0])};
}

TEST_F(SimDll, WithoutAScenarioOneHealthyUnitOfTheProgramsVersion) {
    Bind();
    UsbLink link(&table_, 0, &notifier_, os::SystemSleeper());
    link.SetTrace(nullptr);
    ASSERT_EQ(link.DeviceList().size(), 1u);
    EXPECT_STREQ(link.DeviceList()[0].description, "Darvix");
    EXPECT_EQ(link.HighestListIndex(), 0);

    ASSERT_EQ(link.Open(1), 1);
    EXPECT_EQ(link.HelloAnswered(), 1) << "handshake";
    EXPECT_EQ(link.GetLastGoodDevice(), 1);
    EXPECT_EQ(link.IsIdentified(), 1) << "identify";
    EXPECT_EQ(link.BlankUnit(), 0);
    EXPECT_EQ(link.FirmwareVersion(), ProgramVersionBytes());
    EXPECT_EQ(link.CheckFirmwareVersion(&notifier_, os::kProgramVersion[0], os::kProgramVersion[1]), 1);
    EXPECT_TRUE(notifier_.Boxes().empty());
    auto identified = notifier_.Posts(kMsgIdentified);
    ASSERT_EQ(identified.size(), 1u);
    std::array<uint8_t, 4> v = ProgramVersionBytes();
    uint32_t le = v[0] | v[1] << 8 | v[2] << 16 | static_cast<uint32_t>(v[3]) << 24;
    EXPECT_EQ(identified[0].wParam, le);
    link.Close();
    EXPECT_EQ(link.IsOpen(), 0);
    // Device 2 is not attached.
    EXPECT_EQ(link.Open(2), 0);
}

TEST_F(SimDll, ScenarioUnitsAndTheVersionCheck) {
    Bind("[device]\n"
         "description = Darvix A\n"
         "firmware = 0.9.1.2\n"
         "[device]\n"
         "description = Darvix B\n"
         "blank = yes\n"
         "[device]\n"
         "description = Darvix C\n"
         "open = fail\n"
         "[device]\n"
         "description = Darvix D\n"
         "firmware = 99.0\n");
    UsbLink link(&table_, 0, &notifier_, os::SystemSleeper());
    link.SetTrace(nullptr);
    ASSERT_EQ(link.DeviceList().size(), 4u);
    EXPECT_EQ(link.HighestListIndex(), 3);

    ASSERT_EQ(link.Open(1), 1);
    ASSERT_EQ(link.IsIdentified(), 1);
    EXPECT_EQ(link.FirmwareVersion(), (std::array<uint8_t, 4>{2, 1, 9, 0}));
    EXPECT_EQ(link.CheckFirmwareVersion(&notifier_, 1, 0), 0);
    link.Close();

    ASSERT_EQ(link.Open(2), 1);
    EXPECT_EQ(link.IsIdentified(), 1);
    EXPECT_EQ(link.BlankUnit(), 1);
    EXPECT_EQ(link.IsBlankUnit(), 1);
    link.Close();

    EXPECT_EQ(link.Open(3), 0) << "the driver refuses it";

    ASSERT_EQ(link.Open(4), 1);
    EXPECT_EQ(link.CheckFirmwareVersion(&notifier_, 1, 0), 0);
    link.Close();

    auto boxes = notifier_.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kFirmwareOlderText);
    EXPECT_EQ(boxes[1].text, kFirmwareNewerText);
}

TEST_F(SimDll, AUnitThatDoesNotIdentify) {
    Bind("[device]\nno_reply_to = 0xCC\n");
    UsbLink link(&table_, 0, &notifier_, os::SystemSleeper());
    link.SetTrace(nullptr);
    ASSERT_EQ(link.Open(1), 1);
    EXPECT_EQ(link.HelloAnswered(), 1);
    EXPECT_EQ(link.IsIdentified(), 0);
    link.Close();
}

TEST_F(SimDll, AScenarioThatCannotBeReadAttachesNothing) {
    Bind("[device]\nfirmware = one\n");
    FT_DWORD count = 99;
    ASSERT_EQ(Entry<FT_CreateDeviceInfoList_t>(kFT_CreateDeviceInfoList)(&count), FT_OK);
    EXPECT_EQ(count, 0u);
    UsbLink link(&table_, 0, &notifier_, os::SystemSleeper());
    EXPECT_EQ(link.Open(1), 0);
}

// Writes one frame as the link does: the address byte with MARK parity, the rest with SPACE.
void WriteFrame(FtdiApiTable& t, FT_HANDLE h, const Frame& f) {
    FT_DWORD written = 0;
    ASSERT_EQ(t.Get<FT_SetDataCharacteristics_t>(kFT_SetDataCharacteristics)(h, 8, 0, FT_PARITY_MARK), FT_OK);
    ASSERT_EQ(t.Get<FT_Write_t>(kFT_Write)(h, const_cast<uint8_t*>(f.data()), 1, &written), FT_OK);
    ASSERT_EQ(written, 1u);
    ASSERT_EQ(t.Get<FT_SetDataCharacteristics_t>(kFT_SetDataCharacteristics)(h, 8, 0, FT_PARITY_SPACE), FT_OK);
    ASSERT_EQ(t.Get<FT_Write_t>(kFT_Write)(h, const_cast<uint8_t*>(f.data() + 1),
                                           static_cast<FT_DWORD>(f.size() - 1), &written),
              FT_OK);
    ASSERT_EQ(written, f.size() - 1);
}

TEST_F(SimDll, TheEventIsSignalledWhenBytesArrive) {
    Bind("[device]\naccessory = no\nreply_delay = 30\n");
    FT_HANDLE h = nullptr;
    char description[] = "Darvix";
    ASSERT_EQ(Entry<FT_OpenEx_t>(kFT_OpenEx)(description, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_EQ(Entry<FT_SetEventNotification_t>(kFT_SetEventNotification)(h, FT_EVENT_RXCHAR, event), FT_OK);

    WriteFrame(table_, h, {0x46, 0x5A, 0x00, 0x06, 0xCC, 0x72});
    // Nothing is called while we wait: only the driver's own thread can deliver and signal.
    ASSERT_EQ(WaitForSingleObject(event, 3000), WAIT_OBJECT_0);
    FT_DWORD rx = 0, tx = 0, ev = 0;
    ASSERT_EQ(Entry<FT_GetStatus_t>(kFT_GetStatus)(h, &rx, &tx, &ev), FT_OK);
    EXPECT_EQ(rx, 14u);
    uint8_t reply[32] = {};
    FT_DWORD read = 0;
    ASSERT_EQ(Entry<FT_Read_t>(kFT_Read)(h, reply, sizeof reply, &read), FT_OK);
    ASSERT_EQ(read, 14u);
    EXPECT_EQ(reply[0], 0x5A);
    EXPECT_EQ(reply[4], 0xCD);

    EXPECT_EQ(Entry<FT_Close_t>(kFT_Close)(h), FT_OK);
    CloseHandle(event);
}

size_t ThreadsOfThisProcess() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    size_t n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

TEST_F(SimDll, TheDeviceThreadLivesFromOpenToClose) {
    Bind();
    char description[] = "Darvix";
    auto open = Entry<FT_OpenEx_t>(kFT_OpenEx);
    auto close = Entry<FT_Close_t>(kFT_Close);
    FT_HANDLE h = nullptr;
    // Once first, so that whatever the runtime starts on first use is already there.
    ASSERT_EQ(open(description, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    ASSERT_EQ(close(h), FT_OK);

    const size_t before = ThreadsOfThisProcess();
    ASSERT_EQ(open(description, FT_OPEN_BY_DESCRIPTION, &h), FT_OK);
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    FT_HANDLE second = nullptr;
    EXPECT_NE(open(description, FT_OPEN_BY_DESCRIPTION, &second), FT_OK) << "a unit opens once";
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    ASSERT_EQ(close(h), FT_OK);
    EXPECT_EQ(ThreadsOfThisProcess(), before) << "joined in FT_Close";
    EXPECT_NE(close(h), FT_OK) << "a closed handle";
}

TEST_F(SimDll, TheOtherEntryPointsAnswerNotSupported) {
    Bind();
    using Rescan = FT_STATUS(FTDI_API*)();
    using Reload = FT_STATUS(FTDI_API*)(uint16_t, uint16_t);
    using Open = FT_STATUS(FTDI_API*)(int, FT_HANDLE*);
    using OneHandle = FT_STATUS(FTDI_API*)(FT_HANDLE);
    using IoCtl = FT_STATUS(FTDI_API*)(FT_HANDLE, FT_DWORD, void*, FT_DWORD, void*, FT_DWORD, FT_DWORD*, void*);
    using SetChars = FT_STATUS(FTDI_API*)(FT_HANDLE, uint8_t, uint8_t, uint8_t, uint8_t);
    using LibraryVersion = FT_STATUS(FTDI_API*)(FT_DWORD*);
    FT_HANDLE h = nullptr;
    FT_DWORD version = 0;
    // Through the stdcall pointers: a wrong argument list in the DLL would unbalance the stack here.
    EXPECT_EQ(Entry<Rescan>(kFT_Rescan)(), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<Reload>(kFT_Reload)(0x0403, 0x6001), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<Open>(kFT_Open)(0, &h), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<OneHandle>(kFT_ResetDevice)(h), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<OneHandle>(kFT_CyclePort)(h), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<IoCtl>(kFT_IoCtl)(h, 0, nullptr, 0, nullptr, 0, nullptr, nullptr), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<SetChars>(kFT_SetChars)(h, 0, 0, 0, 0), FT_NOT_SUPPORTED);
    EXPECT_EQ(Entry<LibraryVersion>(kFT_GetLibraryVersion)(&version), FT_NOT_SUPPORTED);
    // The exports carry no stdcall decoration.
    EXPECT_EQ(GetProcAddress(static_cast<HMODULE>(table_.module()), "FT_OpenEx@12"), nullptr);
}

TEST_F(SimDll, TheTraceGoesWhereTheScenarioSays) {
    std::string trace = ProgramFolder() + "\\sim_dll_trace.txt";
    std::remove(trace.c_str());
    Bind("trace = " + trace + "\n[device]\n");
    {
        UsbLink link(&table_, 0, &notifier_, os::SystemSleeper());
        link.SetTrace(nullptr);
        ASSERT_EQ(link.Open(1), 1);
        link.Close();
    }
    UnloadFtdiLibrary(&table_);
    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    std::string t = text.str();
    EXPECT_NE(t.find("unit 1  DEV>PC  5A 80 00 06 11 F1"), std::string::npos) << t;  // hello
    EXPECT_NE(t.find("unit 1  PC>DEV  80 5A 00 06 12 F2"), std::string::npos) << t;  // its answer
    EXPECT_NE(t.find("unit 1  PC>DEV  46 5A 00 06 CC 72"), std::string::npos) << t;  // identify
    EXPECT_NE(t.find("unit 1  DEV>PC  5A 46 00 0E CD"), std::string::npos) << t;
    EXPECT_NE(t.find("PARITY  MARK"), std::string::npos) << t;
    in.close();
    std::remove(trace.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* flag = "--expect-binding=";
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) g_expectedBinding = std::atoi(argv[i] + std::strlen(flag));
    }
    return RUN_ALL_TESTS();
}
