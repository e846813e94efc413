// The program from start to end: the language it picks from the user's locale and the one
// dialog that start-up runs, the not-found notice or the chooser.
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"
#include "res/resource.h"
#include "tests/sim_test.h"

namespace {

using sim::Action;
using sim::Seen;

// The texts of the resources are code page 1252; these tests write them in UTF-8.
std::string Ansi(const std::string& utf8) {
    std::string ansi;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ansi += static_cast<char>(lead);
        } else {
            unsigned char next = static_cast<unsigned char>(utf8[++i]);
            ansi += static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F));
        }
    }
    return ansi;
}

class StartupTest : public SimTest {
protected:
    // A machine whose only device is of another maker.
    void AddOrdinaryDevice() {
        sim::Device device;
        device.instanceId = "PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7&REV_74\\4&1C3D8E5&0&50F0";
        device.hardwareIds = sim::MultiSz({"PCI\\VEN_10B7&DEV_9200&SUBSYS_100010B7&REV_74"});
        device.manufacturer = "3Com";
        device.driverKey = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
        machine.AddDevice(device);
    }

    // Runs the program as the framework does: the application object, then the entry point.
    int RunProgram() {
        CUninstallApp app;
        return AfxWinMain();
    }

    std::vector<Seen> Dialogs() const {
        std::vector<Seen> dialogs;
        for (const Seen& seen : machine.seen) {
            if (seen.kind == Seen::Kind::Dialog) dialogs.push_back(seen);
        }
        return dialogs;
    }
};

struct NoticeCase {
    LCID userLocale;
    LCID chosenLocale;
    const char* title;
    const char* warning;
    const char* notFound;
    const char* ok;
};

const char kEnglishTitle[] = "Uninstall TAVRO card";
const char kEnglishWarning[] = "WARNING: Cannot uninstall. No TAVRO device found on your system.";

const NoticeCase kNoticeCases[] = {
    {0x0407, 0x0407, "Deinstallation der TAVRO karte",
     "ACHTUNG: Kann nicht deinstallieren. Es wurde kein TAVRO Gerät in Ihrem System gefunden.",
     "Gerät nicht gefunden", "OK"},
    {0x0807, 0x0407, "Deinstallation der TAVRO karte",
     "ACHTUNG: Kann nicht deinstallieren. Es wurde kein TAVRO Gerät in Ihrem System gefunden.",
     "Gerät nicht gefunden", "OK"},
    {0x00010407, 0x0407, "Deinstallation der TAVRO karte",
     "ACHTUNG: Kann nicht deinstallieren. Es wurde kein TAVRO Gerät in Ihrem System gefunden.",
     "Gerät nicht gefunden", "OK"},
    {0x0416, 0x0416, "Desinstalar placa Tavro",
     "AVISO: Não é possível desinstalar. Não foi encontrado nenhum dispositivo Tavro em seu "
     "sistema.",
     "Dispositivo não encontrado", "OK"},
    {0x0816, 0x1009, kEnglishTitle, kEnglishWarning, "Device not found", "OK"},
    {0x040B, 0x040B, kEnglishTitle, kEnglishWarning, "Device not found", "OK"},
    {0x0411, 0x1009, kEnglishTitle, kEnglishWarning, "Device not found", "OK"},
    {0x080A, 0x040A, "Desinstalación de la tarjeta TAVRO",
     "ADVERTENCIA: No se puede desinstalar. No se ha encontrado el dispositivo en su sistema.",
     "Dispositivo no encontrado", "Aceptar"},
};

TEST_F(StartupTest, WithoutACardTheNoticeInTheUsersLanguageIsTheOnlyWindow) {
    for (const NoticeCase& row : kNoticeCases) {
        machine.seen.clear();
        machine.devices.clear();
        AddOrdinaryDevice();
        machine.threadLocale = row.userLocale;
        machine.script = {Action::PressOk};
        RunProgram();

        std::string where = "user locale 0x" + std::to_string(row.userLocale);
        EXPECT_EQ(machine.threadLocale, row.chosenLocale) << where;
        std::vector<Seen> dialogs = Dialogs();
        ASSERT_EQ(dialogs.size(), 1u) << where << "\n" << machine.Transcript();
        const Seen& notice = dialogs[0];
        EXPECT_EQ(notice.title, Ansi(row.title)) << where;
        EXPECT_EQ(notice.focusId, IDOK) << where;
        EXPECT_EQ(notice.templateLanguage, row.chosenLocale) << where;
        ASSERT_EQ(notice.controls.size(), 4u) << where;
        EXPECT_EQ(notice.Control(IDOK)->text, row.ok) << where;
        EXPECT_EQ(notice.Control(IDC_STATIC)->text, Ansi(row.warning)) << where;
        EXPECT_EQ(notice.Control(IDC_DEVICE_DESC)->text, Ansi(row.notFound)) << where;
        EXPECT_EQ(notice.Control(IDC_CARD_PICTURE)->imageId, IDB_CARD) << where;
        EXPECT_EQ(notice.Control(IDCANCEL), nullptr) << where << ": the notice has no Cancel";
        EXPECT_EQ(machine.seen.back().result, IDOK) << where;
    }
}

TEST_F(StartupTest, TheProgramEndsHoweverTheNoticeIsClosed) {
    struct Case {
        Action action;
        const char* userLine;
        const char* closedLine;
    };
    const Case kCases[] = {
        {Action::PressOk, "user: OK", "closed \"Uninstall TAVRO card\" IDOK"},
        {Action::Enter, "user: Enter", "closed \"Uninstall TAVRO card\" IDOK"},
        {Action::Escape, "user: Escape", "closed \"Uninstall TAVRO card\" IDCANCEL"},
        {Action::CloseBox, "user: close box", "closed \"Uninstall TAVRO card\" IDCANCEL"},
    };
    const std::string kNoticeLine =
        "dialog \"Uninstall TAVRO card\" focus=1 lang=0x1009 | 1 Button \"OK\" | -1 Static \"" +
        std::string(kEnglishWarning) +
        "\" | 1000 Static \"Device not found\" | 1001 Static bitmap 136";
    AddOrdinaryDevice();
    for (const Case& row : kCases) {
        machine.seen.clear();
        machine.script = {row.action};
        EXPECT_EQ(RunProgram(), 0) << row.userLine;
        EXPECT_EQ(machine.Transcript(),
                  kNoticeLine + "\n" + row.userLine + "\n" + row.closedLine + "\n");
        EXPECT_TRUE(machine.script.empty()) << row.userLine;
    }
    EXPECT_TRUE(machine.removed.empty());
    ExpectAllReleased();
}

TEST_F(StartupTest, WithACardTheChooserIsShownInsteadOfTheNotice) {
    sim::BuildDefaultMachine(machine);
    machine.Then(Action::PressCancel);
    RunProgram();

    std::vector<Seen> dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), 1u) << machine.Transcript();
    EXPECT_NE(dialogs[0].Control(IDC_DEVICE_COMBO), nullptr) << machine.Transcript();
    EXPECT_EQ(dialogs[0].Control(IDC_DEVICE_DESC), nullptr) << "not the notice";
    EXPECT_TRUE(machine.removed.empty());
}

TEST_F(StartupTest, CardWithAnEmptyFirstHardwareIdentifierCountsAsNoCard) {
    sim::Device card;
    card.instanceId = "PCI\\VEN_1A7E&DEV_2000\\4&2F3C1A8E&0&20F0";
    card.hardwareIds = sim::MultiSz({"", "PCI\\VEN_1A7E&DEV_2000"});
    card.manufacturer = "Marlek Technology";
    machine.AddDevice(card);
    machine.Then(Action::PressOk);
    RunProgram();

    std::vector<Seen> dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), 1u) << machine.Transcript();
    EXPECT_EQ(dialogs[0].Control(IDC_DEVICE_DESC)->text, "Device not found");
}

TEST_F(StartupTest, DeviceListFailureShowsTheNoticeAndLeavesOneDiagnostic) {
    sim::BuildDefaultMachine(machine);
    machine.FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY);
    machine.Then(Action::PressOk);
    RunProgram();

    std::vector<Seen> dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), 1u) << machine.Transcript();
    EXPECT_EQ(dialogs[0].Control(IDC_DEVICE_DESC)->text, "Device not found");
    EXPECT_EQ(machine.debugOutput, std::vector<std::string>{"DE: Create device list failed(8)"});
    ExpectAllReleased();
}

TEST_F(StartupTest, DialogThatCannotBeCreatedEndsTheProgramWithoutAWindow) {
    const DWORD kOutOfResources = 1450;  // ERROR_NO_SYSTEM_RESOURCES
    AddOrdinaryDevice();
    machine.FailCall("DialogBoxIndirectParamA", 1, kOutOfResources);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_TRUE(machine.seen.empty()) << machine.Transcript();
}

}  // namespace
