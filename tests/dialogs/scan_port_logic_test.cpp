// The device scan over the simulated bus on the stepping sleeper: the probes and what they report,
// the user's answers and the face they leave, the finish step's open and outcome, and the found
// text from the driver's description.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/scan_port_logic.h"
#include "link/bytes.h"
#include "link_harness.h"

using dialogs::ScanButton;
using dialogs::ScanFace;
using dialogs::ScanPortLogic;
using linktest::SimHarness;

namespace {

// The reports as the window delivers them: a find reaches the dialog before the step returns,
// the rest are noted (and delivered at once, as the message loop would between two steps).
class Reports : public dialogs::ScanReport, public dialogs::ComSetting {
public:
    explicit Reports(ScanPortLogic& logic) : logic_(logic) {}
    void Progress(int n) override {
        events.push_back("progress " + std::to_string(n));
        logic_.OnScanMessage(0, n);
    }
    void Found(int n) override {
        events.push_back("found " + std::to_string(n));
        logic_.OnScanMessage(1, n);
    }
    void EndOfNumbers() override {
        events.push_back("end");
        logic_.OnScanMessage(0, -1);
    }
    void Outcome(int outcome) override { outcomes.push_back(outcome); }
    int32_t Get() override { return com; }
    void Set(int32_t n) override {
        com = n;
        stored.push_back(n);
    }

    std::vector<std::string> events;
    std::vector<int> outcomes;
    std::vector<int32_t> stored;
    int32_t com = 1;

private:
    ScanPortLogic& logic_;
};

sim::UnitConfig Named(const std::string& description) {
    sim::UnitConfig c;
    c.description = description;
    return c;
}

// A bus, the scan and a link: one setting of the scan.
struct ScanRig {
    // Units are added before the link is made unless a test says otherwise.
    sim::SimUnit& Silent(const std::string& name) {
        sim::SimUnit& u = h.AddUnit(Named(name));
        u.config().hello = sim::HelloMode::Never;
        u.faults().noReplies = true;
        return u;
    }
    sim::SimUnit& HelloOnly(const std::string& name) {
        sim::SimUnit& u = h.AddUnit(Named(name));
        u.faults().noReplyTo.insert(0xCC);
        return u;
    }
    sim::SimUnit& Healthy(const std::string& name) { return h.AddUnit(Named(name)); }
    sim::SimUnit& Blank(const std::string& name) {
        sim::UnitConfig c = Named(name);
        c.blank = true;
        return h.AddUnit(c);
    }
    void MakeLink() { link = h.MakeLink(); }

    // Steps until the scan waits for the user (paused, all numbers done) or finishes.
    void StepUntilItWaits(int limit = 200) {
        for (int i = 0; i < limit; ++i) {
            const size_t before = reports.events.size() + reports.outcomes.size();
            const bool wasScanning = logic.Scanning() || logic.StartRequested();
            logic.ScanStep(*link, reports, reports, h.sleeper);
            if (!wasScanning) return;
            if (reports.outcomes.size() > 0 && !logic.Scanning()) return;
            if (reports.events.size() + reports.outcomes.size() == before && !logic.StartRequested() &&
                (logic.Paused() || logic.NextNumber() >= ScanPortLogic::kEndNumber))
                return;
        }
        FAIL() << "the scan never waited";
    }
    void Click(ScanButton b) { clickedOutcome = logic.OnButton(b); }
    std::vector<std::string> Probes() const {
        std::vector<std::string> out;
        for (const std::string& e : reports.events)
            if (e.rfind("progress", 0) == 0 || e.rfind("found", 0) == 0) out.push_back(e);
        return out;
    }
    void ExpectButtons(bool ok, bool next, bool cancel, bool retry, bool nextShown, bool retryShown) {
        const ScanFace& f = logic.Face();
        EXPECT_EQ(f[ScanButton::Ok].enabled, ok);
        EXPECT_EQ(f[ScanButton::Next].enabled, next);
        EXPECT_EQ(f[ScanButton::Cancel].enabled, cancel);
        EXPECT_EQ(f[ScanButton::Retry].enabled, retry);
        EXPECT_EQ(f[ScanButton::Next].shown, nextShown);
        EXPECT_EQ(f[ScanButton::Retry].shown, retryShown);
        EXPECT_FALSE(f[ScanButton::Close].shown);
    }

    SimHarness h;
    ScanPortLogic logic{&h.table};
    Reports reports{logic};
    std::unique_ptr<devlink::UsbLink> link;
    int clickedOutcome = -2;
};

class ScanTest : public ::testing::Test, public ScanRig {};

}  // namespace

TEST_F(ScanTest, ProbesInOrderAndPausesAtAUnitThatIdentifies) {
    Silent("Quiet");
    HelloOnly("Hello only");
    Healthy("Darvix three");
    MakeLink();
    logic.StartScan();
    ExpectButtons(false, false, true, false, true, false);
    StepUntilItWaits();
    // Number 2 opened and said hello, but only an identify reply counts.
    EXPECT_EQ(Probes(), (std::vector<std::string>{"progress 1", "progress 2", "found 3"}));
    EXPECT_TRUE(logic.Paused());
    EXPECT_EQ(logic.FoundNumber(), 3);
    ExpectButtons(true, true, true, false, true, false);
    const ScanFace& f = logic.Face();
    EXPECT_FALSE(f.barShown);
    EXPECT_EQ(f.bar, 3.0);
    EXPECT_EQ(f.text, "'darvix' found on 'Darvix three'. Press 'Ok' to connect or press 'Next' to continue "
                      "scanning.");
    EXPECT_EQ(f.area, (dialogs::TextBox{40, 45, 295, 205}));
    // Paused: further steps probe nothing.
    const size_t traced = h.bus.Trace(2).size();
    for (int i = 0; i < 5; ++i) logic.ScanStep(*link, reports, reports, h.sleeper);
    EXPECT_EQ(h.bus.Trace(2).size(), traced);
    EXPECT_EQ(logic.NextNumber(), 4);

    // Next goes on at 4; past 99 the not-found face, although a unit was found before.
    Click(ScanButton::Next);
    EXPECT_EQ(clickedOutcome, -1);
    ExpectButtons(false, false, true, false, true, false);
    EXPECT_TRUE(logic.Face().text.empty());
    EXPECT_TRUE(logic.Face().barShown);
    StepUntilItWaits();
    EXPECT_EQ(reports.events.back(), "end");
    EXPECT_EQ(reports.events.at(3), "progress 4");
    EXPECT_EQ(Probes().back(), "progress 99");
    ExpectButtons(false, false, true, true, false, true);
    EXPECT_EQ(logic.Face().text, "'darvix' device not found.");
    EXPECT_EQ(logic.Face().area, (dialogs::TextBox{55, 75, 295, 200}));
    EXPECT_FALSE(logic.Face().barShown);
    EXPECT_TRUE(logic.Scanning());  // the end of the numbers does not end the scan

    // Retry probes from 1 again; the bar starts over at its minimum.
    reports.events.clear();
    Click(ScanButton::Retry);
    EXPECT_EQ(logic.Face().bar, 1.0);
    ExpectButtons(false, false, true, false, true, false);
    StepUntilItWaits();
    EXPECT_EQ(Probes(), (std::vector<std::string>{"progress 1", "progress 2", "found 3"}));
}

TEST(Scan, TheAnswerDecidesWhatOpensWhatIsStoredAndTheOutcome) {
    struct Case {
        const char* what;
        bool blankThird;       // number 3 is a blank unit
        ScanButton answer;     // after the find at 3
        int outcome;
        std::vector<int32_t> stored;
        int openUnit;          // 0-based unit left open, -1 none
    };
    const Case cases[] = {
        {"OK on a unit", false, ScanButton::Ok, 1, {3}, 2},
        {"OK on a blank unit", true, ScanButton::Ok, 2, {3}, 2},
        {"Cancel reopens the stored number", false, ScanButton::Cancel, 0, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScanRig r;
        r.reports.events.clear();
        r.reports.outcomes.clear();
        r.reports.stored.clear();
        r.reports.com = 1;
        r.Healthy("Stored");
        r.Silent("Quiet");
        c.blankThird ? r.Blank("Third") : r.Healthy("Third");
        r.MakeLink();
        ASSERT_EQ(r.link->Open(1), 1);
        r.logic.StartScan();
        r.StepUntilItWaits();
        // The stored unit answers too: Next past it.
        ASSERT_EQ(r.logic.FoundNumber(), 1);
        r.Click(ScanButton::Next);
        r.StepUntilItWaits();
        ASSERT_EQ(r.logic.FoundNumber(), 3);
        r.Click(c.answer);
        EXPECT_EQ(r.clickedOutcome, -1);  // a running scan answers from its finish step
        r.ExpectButtons(false, false, false, false, true, false);
        EXPECT_TRUE(r.logic.FinishRequested());
        r.logic.ScanStep(*r.link, r.reports, r.reports, r.h.sleeper);
        EXPECT_EQ(r.reports.outcomes, (std::vector<int>{c.outcome}));
        EXPECT_EQ(r.reports.stored, c.stored);
        EXPECT_FALSE(r.logic.Scanning());
        EXPECT_EQ(r.link->IsOpen(), 1);
        EXPECT_EQ(r.link->DeviceNumber(), c.openUnit + 1);
        EXPECT_TRUE(r.h.bus.unit(static_cast<size_t>(c.openUnit)).connected());
    }
}

TEST_F(ScanTest, CancelWhileIdleAnswersAtOnce) {
    Healthy("Darvix");
    MakeLink();
    // Before any scan, and after a start request that no step has served yet.
    Click(ScanButton::Cancel);
    EXPECT_EQ(clickedOutcome, 0);
    logic.StartScan();
    Click(ScanButton::Cancel);
    EXPECT_EQ(clickedOutcome, 0);
    EXPECT_FALSE(logic.StartRequested());
    logic.ScanStep(*link, reports, reports, h.sleeper);
    EXPECT_FALSE(logic.Scanning());
    EXPECT_TRUE(reports.outcomes.empty());
    // A disabled or hidden button takes no click.
    Click(ScanButton::Ok);
    EXPECT_EQ(clickedOutcome, -1);
    Click(ScanButton::Close);
    EXPECT_EQ(clickedOutcome, -1);
}

TEST_F(ScanTest, ABlankUnitProbedEarlierDoesNotMakeTheChoiceBlank) {
    Blank("Blank");
    Healthy("Darvix");
    MakeLink();
    logic.StartScan();
    StepUntilItWaits();
    ASSERT_EQ(logic.FoundNumber(), 1);
    Click(ScanButton::Next);
    StepUntilItWaits();
    ASSERT_EQ(logic.FoundNumber(), 2);
    Click(ScanButton::Ok);
    logic.ScanStep(*link, reports, reports, h.sleeper);
    EXPECT_EQ(reports.outcomes, (std::vector<int>{1}));
    EXPECT_EQ(reports.stored, (std::vector<int32_t>{2}));
}

TEST(Scan, AChosenUnitGoneOrSilentAtTheFinishGivesZero) {
    struct Case {
        const char* what;
        void (*lose)(sim::SimUnit&);
    };
    const Case cases[] = {
        {"unplugged", [](sim::SimUnit& u) { u.Unplug(); }},
        {"silent", [](sim::SimUnit& u) {
             u.faults().noReplies = true;
             u.config().hello = sim::HelloMode::Never;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScanRig r;
        r.reports.outcomes.clear();
        r.reports.stored.clear();
        r.reports.com = 5;
        r.Silent("Quiet");
        r.Healthy("Darvix");
        r.MakeLink();
        r.logic.StartScan();
        r.StepUntilItWaits();
        ASSERT_EQ(r.logic.FoundNumber(), 2);
        {
            auto g = r.h.bus.Lock();
            c.lose(r.h.bus.unit(1));
        }
        r.Click(ScanButton::Ok);
        r.logic.ScanStep(*r.link, r.reports, r.reports, r.h.sleeper);
        EXPECT_EQ(r.reports.outcomes, (std::vector<int>{0}));
        EXPECT_TRUE(r.reports.stored.empty());
    }
}

TEST_F(ScanTest, AUnitPluggedInAfterTheLinkWasMadeIsFound) {
    Silent("Quiet");
    MakeLink();
    logic.StartScan();
    StepUntilItWaits();
    ASSERT_EQ(reports.events.back(), "end");
    Healthy("Late");
    reports.events.clear();
    Click(ScanButton::Retry);
    StepUntilItWaits();
    EXPECT_EQ(Probes(), (std::vector<std::string>{"progress 1", "found 2"}));
    Click(ScanButton::Ok);
    logic.ScanStep(*link, reports, reports, h.sleeper);
    EXPECT_EQ(reports.outcomes, (std::vector<int>{1}));
    EXPECT_EQ(link->DeviceNumber(), 2);
}

TEST_F(ScanTest, TheStartSaysGoodbyeToTheConnectedUnitFirst) {
    Healthy("Darvix");
    MakeLink();
    ASSERT_EQ(link->Open(1), 1);
    h.bus.ClearTraces();
    h.sleeper.Clear();
    logic.StartScan();
    logic.ScanStep(*link, reports, reports, h.sleeper);
    EXPECT_TRUE(logic.Scanning());
    EXPECT_EQ(link->IsOpen(), 0);
    const std::vector<devlink::Frame> frames = h.bus.FramesFromPc(0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], linktest::Bytes({0x00, 0x5A, 0x00, 0x06, 0x35, 0x95}));
    EXPECT_EQ(frames[1], linktest::Bytes({0x80, 0x5A, 0x00, 0x06, 0x35, 0x15}));
    EXPECT_EQ(h.sleeper.Count(250), 2u);
    // The goodbye comes before the first probe opens anything.
    std::vector<sim::TraceKind> kinds;
    for (const sim::TraceEntry& e : h.bus.Trace(0)) kinds.push_back(e.kind);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), sim::TraceKind::Closed);
}

TEST(ScanFoundText, TheDriversDescriptionFitsTheTextWhole) {
    struct Case {
        size_t length;  // 0: no description
        std::string shown;
    };
    const std::string d64 = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-";
    const Case cases[] = {
        {0, "Device 7"},
        {38, d64.substr(0, 38)},
        {39, d64.substr(0, 35) + "..."},
        {59, d64.substr(0, 35) + "..."},
        {64, d64.substr(0, 35) + "..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        SimHarness h;
        for (int i = 0; i < 6; ++i) h.AddUnit(Named("Unit " + std::to_string(i + 1)));
        if (c.length > 0) h.AddUnit(Named(d64.substr(0, c.length)));
        ScanPortLogic logic(&h.table);
        const std::string text = ScanPortLogic::FoundText(logic.DescriptionOf(7), 7);
        EXPECT_EQ(text, "'darvix' found on '" + c.shown +
                            "'. Press 'Ok' to connect or press 'Next' to continue scanning.");
        EXPECT_LE(text.size(), 119u);
        // The driver's whole description, and nothing beyond its 64 bytes.
        EXPECT_EQ(logic.DescriptionOf(7), d64.substr(0, c.length));
    }
    EXPECT_EQ(ScanPortLogic::FoundText(std::string(38, 'x'), 1).size(), 119u);
    ScanPortLogic none(nullptr);
    EXPECT_EQ(none.DescriptionOf(1), "");
}
