// The configuration dialog and the help window against fake controls built from their own
// layout rows: loading, the handlers, the music test bench, the buttons, and the layout itself.
#include "config/setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "config/help.h"
#include "hg_version.h"
#include "settings/settings.h"
#include "support/fakes.h"

namespace hg::test {
namespace {

struct FakeCheckBox : CheckBox {
    int16_t value = 0;
    int16_t Value() override { return value; }
    void SetValue(int16_t v) override { value = v; }
};
struct FakeOption : OptionButton {
    bool value = false;
    bool Value() override { return value; }
    void SetValue(bool v) override { value = v; }
};
struct FakeText : TextBox {
    std::string text;
    std::string Text() override { return text; }
    void SetText(const std::string& t) override { text = t; }
};
struct FakeScroll : ScrollBar {
    int32_t value = 0;
    int32_t Value() override { return value; }
    void SetValue(int32_t v) override { value = v; }
};
struct FakeList : DropDownList {
    std::string text;
    std::string Text() override { return text; }
    void SetText(const std::string& t) override { text = t; }
};
struct FakeButton : ButtonCaption {
    std::string caption;
    std::string Caption() override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
};

// One fake per row, made when first asked for, in the state a real widget starts in. Asking for
// a name the layout lacks, or for a row as the wrong kind, fails the test: on Windows it would
// reach a control that shows nothing.
class FakeControls : public FormControls {
  public:
    CheckBox& CheckBoxOf(const ControlRow& row) override {
        return Get(checks_, row, Kind::CheckBox);
    }
    OptionButton& OptionButtonOf(const ControlRow& row) override {
        return Get(options_, row, Kind::OptionButton);
    }
    TextBox& TextBoxOf(const ControlRow& row) override {
        if (row.kind != Kind::MultiLineText) return Get(texts_, row, Kind::TextBox);
        return texts_[&row];
    }
    ScrollBar& ScrollBarOf(const ControlRow& row) override {
        bool known = scrolls_.count(&row) != 0;
        FakeScroll& s =
            Get(scrolls_, row, row.kind == Kind::VScrollBar ? Kind::VScrollBar : Kind::HScrollBar);
        if (!known) s.value = row.initial;
        return s;
    }
    DropDownList& DropDownListOf(const ControlRow& row) override {
        return Get(lists_, row, Kind::DropDownList);
    }
    ButtonCaption& ButtonOf(const ControlRow& row) override {
        bool known = buttons_.count(&row) != 0;
        FakeButton& b = Get(buttons_, row, Kind::Button);
        if (!known) b.caption = row.caption;
        return b;
    }

  private:
    template <class T>
    T& Get(std::map<const ControlRow*, T>& widgets, const ControlRow& row, Kind kind) {
        EXPECT_EQ(row.kind, kind) << "control '" << row.QualifiedName() << "'";
        return widgets[&row];
    }
    std::map<const ControlRow*, FakeCheckBox> checks_;
    std::map<const ControlRow*, FakeOption> options_;
    std::map<const ControlRow*, FakeText> texts_;
    std::map<const ControlRow*, FakeScroll> scrolls_;
    std::map<const ControlRow*, FakeList> lists_;
    std::map<const ControlRow*, FakeButton> buttons_;
};

class FakeDialogHost : public DialogHost {
  public:
    explicit FakeDialogHost(CallLog& log) : log_(log) {}
    void StartProcess(const std::string& commandLine, int showState) override {
        log_.push_back("StartProcess(" + commandLine + "," + std::to_string(showState) + ")");
    }
    void OpenAddress(Form& owner, const std::string& address) override {
        log_.push_back("OpenAddress(" + owner.Layout().caption + "," + address + ")");
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        log_.push_back("ShowMessage(" + title + ")");
        lastText = text;
    }
    void ShowHelp() override { log_.push_back("ShowHelp"); }
    void Unload(Form& form) override { log_.push_back("Unload(" + form.Layout().caption + ")"); }
    std::string lastText;

  private:
    CallLog& log_;
};

class FakeMusic : public TegoSnd {
  public:
    explicit FakeMusic(CallLog& log) : log_(log) {}
    void PlayMidiFile(const std::string& path, int32_t a, int32_t b) override {
        log_.push_back("Play(" + path + "," + std::to_string(a) + "," + std::to_string(b) + ")");
    }
    void StopMidi() override { log_.push_back("Stop"); }
    bool IsMidiPlaying() override { return false; }

  private:
    CallLog& log_;
};

struct Dialog {
    CallLog log;
    InMemoryStore store;
    FakeControls controls;
    FakeDialogHost host{log};
    FakeMusic music{log};
    Setup setup{SetupParts{store, controls, host, music}};

    const ControlRow& Row(const std::string& name, int16_t index = -1) {
        const ControlRow* row = setup.Layout().Find(name, index);
        EXPECT_NE(row, nullptr) << name;
        return *row;
    }
    void Set(const Values& values) {
        for (const auto& [key, value] : values) {
            auto slash = key.find('\\');
            store.Write(kAppName, key.substr(0, slash), key.substr(slash + 1), value);
        }
    }
    std::string Stored(const std::string& key) {
        auto slash = key.find('\\');
        return store.Read(kAppName, key.substr(0, slash), key.substr(slash + 1), "<absent>");
    }
    // What a user's action does: the widget changes, then the platform raises the event.
    void ClickCheckBox(const std::string& name, int16_t index = -1) {
        CheckBox& box = controls.CheckBoxOf(Row(name, index));
        box.SetValue(box.Value() ? 0 : 1);
        setup.Raise(Row(name, index), Event::Click);
    }
    void Pick(const std::string& name, const std::string& item) {
        controls.DropDownListOf(Row(name)).SetText(item);
        setup.Raise(Row(name), Event::Click);
    }
    void Drag(const std::string& name, int32_t value, Event event) {
        controls.ScrollBarOf(Row(name)).SetValue(value);
        setup.Raise(Row(name), event);
    }
    void Type(const std::string& name, const std::string& text) {
        controls.TextBoxOf(Row(name)).SetText(text);
        setup.Raise(Row(name), Event::Change);
    }
    void Press(const std::string& name, int16_t index = -1) {
        setup.Raise(Row(name, index), Event::Click);
    }
    std::string Text(const std::string& name) { return controls.TextBoxOf(Row(name)).Text(); }
    std::string Caption(int16_t track) {
        return controls.ButtonOf(Row("cmdTestMusic", track - 1)).Caption();
    }
    int16_t Check(const std::string& name, int16_t index = -1) {
        return controls.CheckBoxOf(Row(name, index)).Value();
    }
    std::vector<int> ChosenCorners() {
        std::vector<int> chosen;
        for (int16_t k = 0; k < 4; ++k)
            if (controls.OptionButtonOf(Row("optCal", k)).Value()) chosen.push_back(k);
        return chosen;
    }
};

TEST(SetupLoad, AFreshStoreIsSeededFirstAndLoadingWritesBackOnlyWhatChangedAControl) {
    Dialog d;
    d.setup.Load();

    InMemoryStore seeded;
    SetRegistry(seeded);
    const auto& seeds = seeded.Writes();
    const auto& writes = d.store.Writes();
    ASSERT_GE(writes.size(), seeds.size());
    EXPECT_TRUE(std::equal(seeds.begin(), seeds.end(), writes.begin()));
    // Every control that loading moved from its initial state ran its handler, in loading order;
    // the check boxes whose seed is 0 stayed clear and wrote nothing.
    std::vector<std::string> loaded(writes.begin() + static_cast<long>(seeds.size()), writes.end());
    std::vector<std::string> expected = {
        "Settings\\ShowMsg=1",   "Settings\\Message=Place a message here",
        "Settings\\FontSize=18", "Settings\\CalPos=1",
        "Settings\\MouseSen=4",
    };
    for (int n = 1; n <= 5; ++n) expected.push_back("hrthglow\\ShowFP" + std::to_string(n) + "=1");
    for (int n = 3; n <= 6; ++n) expected.push_back("hrthglow\\ShowM" + std::to_string(n) + "=1");
    for (const char* w : {"hrthglow\\RotateCk=1", "hrthglow\\RotateT=1", "hrthglow\\AndIron=1",
                          "hrthglow\\Speed=100", "Settings\\Vol=-1667", "Settings\\SoundOn=1",
                          "Settings\\SoundOff=0", "xmas\\StockLoc=19", "xmas\\PlayMusic=1"})
        expected.push_back(w);
    EXPECT_EQ(Join(loaded), Join(expected));

    EXPECT_EQ(d.Text("txtVol"), "-1667");
    EXPECT_EQ(d.Text("txtMouseS"), "4");
    EXPECT_EQ(d.Text("txtFlame"), "100");
    EXPECT_EQ(d.controls.DropDownListOf(d.Row("cboSoundOff")).Text(), "Never");
    EXPECT_EQ(d.ChosenCorners(), std::vector<int>{1});
    EXPECT_EQ(d.setup.MouseSensitivity, "4");
    EXPECT_EQ(d.setup.AssetFolder, "C:\\Tallowmere\\hrthglow\\");
}

TEST(SetupLoad, AValueAControlCannotTakeIsSkippedAndTheLaterStepsStillLoad) {
    Dialog d;
    d.Set({{"Settings\\SetReg", "2"},
           {"Music\\Music1", "yes"},
           {"hrthglow\\ShowFP1", "2"},
           {"Settings\\CalPos", "7"},
           {"hrthglow\\RotateT", "11"},
           {"hrthglow\\Speed", "fast"},
           {"Settings\\Vol", "0"},
           {"Settings\\SoundOff", "7"},
           {"xmas\\StockLoc", "500"},
           {"Settings\\PwrSave", "1"}});
    d.store.ClearWriteLog();
    d.setup.Load();

    EXPECT_EQ(d.Check("ChkMidi", 0), 0);
    EXPECT_EQ(d.Check("chkFP", 0), 0);
    // The lists and the corners show nothing before loading: they show and store the seed.
    EXPECT_EQ(d.ChosenCorners(), std::vector<int>{1});
    EXPECT_EQ(d.Stored("Settings\\CalPos"), "1");
    EXPECT_EQ(d.controls.DropDownListOf(d.Row("cboRotate")).Text(), "1");
    EXPECT_EQ(d.Stored("hrthglow\\RotateT"), "1");
    EXPECT_EQ(d.controls.ScrollBarOf(d.Row("hsbFlame")).Value(), 50);
    EXPECT_EQ(d.Text("txtFlame"), "50");
    // MouseSen is absent: its fallback "1" lies outside the bar, which stays at 2.
    EXPECT_EQ(d.Text("txtMouseS"), "2");
    // Vol 0 is the bar's initial value: no event, yet the mirror shows it.
    EXPECT_EQ(d.Text("txtVol"), "0");
    EXPECT_EQ(d.controls.DropDownListOf(d.Row("cboSoundOff")).Text(), "Never");
    EXPECT_EQ(d.controls.ScrollBarOf(d.Row("vsbStocking")).Value(), 100);
    // The last step loaded, and nothing skipped was written over.
    EXPECT_EQ(d.Check("chkPowerSave"), 1);
    EXPECT_EQ(d.Stored("Settings\\PwrSave"), "1");
    for (const char* key : {"hrthglow\\Speed", "Music\\Music1", "xmas\\StockLoc"})
        EXPECT_EQ(CountOf(d.store.Writes(), std::string(key) + "="), 0) << key;
}

TEST(SetupLoad, TheCornerIsTheNumberTheTextStartsWithAndAListedSoundOffShowsAsStored) {
    Dialog d;
    d.Set({{"Settings\\SetReg", "2"},
           {"Settings\\CalPos", " 3 (bottom right)"},
           {"Settings\\SoundOff", "45"}});
    d.setup.Load();
    EXPECT_EQ(d.ChosenCorners(), std::vector<int>{3});
    EXPECT_EQ(d.Stored("Settings\\CalPos"), "3");
    EXPECT_EQ(d.controls.DropDownListOf(d.Row("cboSoundOff")).Text(), "45");
}

// A hand-edited value, read by the dialog and by the scene from the same store: the scene
// uses what the dialog shows, for each kind of control, a word and a number it cannot show.
struct DialogAndScene {
    explicit DialogAndScene(const Values& values) {
        d.Set({{"Settings\\SetReg", "2"}});
        d.Set(values);
        musicOff = ReadSceneSettings(d.store, scene, pwrSave);
        d.setup.Load();
    }
    Dialog d;
    SceneSettings scene;
    int16_t pwrSave = 9;
    bool musicOff = true;
};

TEST(SetupAndScene, ABoxThatCannotShowAValueIsClearAndTheSceneTakesItAsClear) {
    DialogAndScene b(Values{{"hrthglow\\ShowFP1", "x"},
                            {"xmas\\PlayMusic", "x"},
                            {"xmas\\ShowS1", "2"},
                            {"Settings\\PwrSave", "-1"}});
    EXPECT_EQ(b.d.Check("chkFP", 0), 0);
    EXPECT_EQ(b.scene.ShowFP[1], 0);
    EXPECT_EQ(b.scene.CurrentFP, 2);
    EXPECT_EQ(b.d.Check("chkMusic"), 0);
    EXPECT_FALSE(b.musicOff);
    EXPECT_EQ(b.d.Check("chkStocking", 0), 0);
    EXPECT_EQ(b.scene.ShowS[1], 0);
    EXPECT_EQ(b.d.Check("chkPowerSave"), 0);
    EXPECT_EQ(b.pwrSave, 0);
}

TEST(SetupAndScene, ASliderThatCannotShowAValueStaysAtItsStartAndTheSceneUsesThat) {
    DialogAndScene b(Values{{"Settings\\Vol", "x"}, {"Settings\\MouseSen", "50"}});
    EXPECT_EQ(b.d.Text("txtVol"), "0");
    EXPECT_EQ(b.scene.Vol, 0);
    EXPECT_EQ(b.d.Text("txtMouseS"), "2");
    EXPECT_EQ(b.scene.MouseSen, 2);
}

TEST(SetupAndScene, AListThatCannotShowAValueShowsTheSeedAndTheSceneUsesIt) {
    DialogAndScene b(Values{{"hrthglow\\RotateT", "x"}, {"Settings\\SoundOff", "7"}});
    EXPECT_EQ(b.d.controls.DropDownListOf(b.d.Row("cboRotate")).Text(), "1");
    EXPECT_EQ(b.scene.RotateT, 1);
    EXPECT_EQ(b.d.controls.DropDownListOf(b.d.Row("cboSoundOff")).Text(), "Never");
    EXPECT_EQ(b.scene.SoundOff, "Never");
}

TEST(SetupAndScene, AFontSizeThatIsNoSixteenBitNumberShowsTheSeedAndTheSceneUsesIt) {
    for (const char* size : {"x", "99999"}) {
        DialogAndScene b(Values{{"Settings\\FontSize", size}});
        EXPECT_EQ(b.d.Text("txtFontSizeMsg"), "18") << size;
        EXPECT_EQ(b.scene.FontSize, 18) << size;
    }
}

TEST(SetupAndScene, ACornerThatCannotBeChosenShowsTheSeedAndTheSceneUsesIt) {
    for (const char* corner : {"x", "7"}) {
        DialogAndScene b(Values{{"Settings\\CalPos", corner}});
        EXPECT_EQ(b.d.ChosenCorners(), std::vector<int>{1}) << corner;
        EXPECT_EQ(b.scene.CalPos, 1) << corner;
    }
    // The dialog's reading of a corner's text is the scene's too.
    DialogAndScene b(Values{{"Settings\\CalPos", " 3 (bottom right)"}});
    EXPECT_EQ(b.scene.CalPos, 3);
}

TEST(SetupHandlers, EveryArrayBoxWritesTheValueNumberedForIt) {
    Dialog d;
    d.setup.Load();
    d.store.ClearWriteLog();
    d.ClickCheckBox("chkFP", 5);
    d.ClickCheckBox("chkMantle", 0);
    d.ClickCheckBox("chkStocking", 3);
    d.ClickCheckBox("chkBells", 1);
    d.ClickCheckBox("chkPoin", 0);
    d.ClickCheckBox("ChkMidi", 35);
    d.ClickCheckBox("chkMusic");
    d.ClickCheckBox("chkShowMessage");
    EXPECT_EQ(Join(d.store.Writes()),
              "hrthglow\\ShowFP6=1 hrthglow\\ShowM3=0 xmas\\ShowS4=1 xmas\\Bell2=1 xmas\\Poin1=1 "
              "Music\\Music36=1 xmas\\PlayMusic=0 Settings\\ShowMsg=0");
}

TEST(SetupHandlers, ListsWriteThePickedItemWithNeverStoredAsZero) {
    Dialog d;
    d.setup.Load();
    d.Pick("cboSoundOff", "45");
    EXPECT_EQ(d.Stored("Settings\\SoundOff"), "45");
    d.Pick("cboSoundOff", "Never");
    EXPECT_EQ(d.Stored("Settings\\SoundOff"), "0");
    d.Pick("cboRotate", "15");
    EXPECT_EQ(d.Stored("hrthglow\\RotateT"), "15");
}

TEST(SetupHandlers, ADraggedBarWritesEveryStepAndItsMirrorFollows) {
    Dialog d;
    d.setup.Load();
    d.store.ClearWriteLog();
    std::vector<std::string> shown;
    for (int32_t v = -2500; v <= 0; v += 500) {
        d.Drag("hsbVol", v, Event::Scroll);
        shown.push_back(d.Text("txtVol"));
    }
    d.Drag("hsbVol", 0, Event::Change);
    EXPECT_EQ(Join(shown), "-2500 -2000 -1500 -1000 -500 0");
    EXPECT_EQ(CountOf(d.store.Writes(), "Settings\\Vol="), 7);
    EXPECT_EQ(d.Stored("Settings\\Vol"), "0");

    d.Drag("hsbMouseS", 20, Event::Scroll);
    EXPECT_EQ(d.setup.MouseSensitivity, "20");
    EXPECT_EQ(d.Text("txtMouseS"), "20");
    EXPECT_EQ(d.Stored("Settings\\MouseSen"), "20");
    d.Drag("hsbFlame", 250, Event::Change);
    EXPECT_EQ(d.Stored("hrthglow\\Speed"), "250");
    EXPECT_EQ(d.Text("txtFlame"), "250");
    d.Drag("vsbStocking", -20, Event::Scroll);
    EXPECT_EQ(d.Stored("xmas\\StockLoc"), "-20");
}

TEST(SetupHandlers, TextBoxesStoreEachEditAsTypedAndTheMirrorsStoreNothing) {
    Dialog d;
    d.setup.Load();
    d.store.ClearWriteLog();
    d.Type("txtMessage", "F");
    d.Type("txtMessage", "Frohe Weihnachten \xE2\x80\x94 \xE3\x83\xA1\xE3\x83\xAA\xE3\x83\xBC");
    d.Type("txtFontSizeMsg", "");
    d.Type("txtVol", "7");
    d.Type("txtMouseS", "7");
    d.Type("txtFlame", "7");
    EXPECT_EQ(Join(d.store.Writes()),
              "Settings\\Message=F Settings\\Message=Frohe Weihnachten \xE2\x80\x94 "
              "\xE3\x83\xA1\xE3\x83\xAA\xE3\x83\xBC Settings\\FontSize=");
}

TEST(SetupHandlers, ChoosingACornerStoresItsIndex) {
    Dialog d;
    d.setup.Load();
    d.controls.OptionButtonOf(d.Row("optCal", 2)).SetValue(true);
    d.setup.Raise(d.Row("optCal", 2), Event::Click);
    EXPECT_EQ(d.Stored("Settings\\CalPos"), "2");
    EXPECT_EQ(d.setup.CalendarPosition, "2");
}

TEST(SetupTestButtons, OneControlPlaysOneTrackAndEachButtonKeepsItsOwnCaption) {
    Dialog d;
    d.setup.Load();
    d.log.clear();
    const std::string folder = "C:\\Tallowmere\\hrthglow\\Music\\";
    d.Press("cmdTestMusic", 2);  // track 3
    d.Press("cmdTestMusic", 6);  // track 7: track 3 stops
    EXPECT_EQ(d.Caption(3), "Stop");
    EXPECT_EQ(d.Caption(7), "Stop");
    d.Press("cmdTestMusic", 2);  // stops track 7 and reads Test again
    EXPECT_EQ(d.Caption(3), "T&est");
    EXPECT_EQ(d.Caption(7), "Stop");
    d.Press("cmdTestMusic", 2);  // plays track 3 once more
    EXPECT_EQ(d.Caption(3), "Stop");
    EXPECT_EQ(Join(d.log), "Stop Play(" + folder + "midi3.mid,0,-1) Stop Play(" + folder +
                               "midi7.mid,0,-1) Stop Stop Stop Play(" + folder + "midi3.mid,0,-1)");
}

TEST(SetupTestButtons, ClosingTheDialogStopsTheTrackBeingTested) {
    Dialog d;
    d.setup.Load();
    d.Press("cmdTestMusic", 4);
    d.log.clear();
    d.setup.Form_Unload();
    EXPECT_EQ(Join(d.log), "Stop");
}

std::vector<std::string> ItemsOf(const char* list) { return SetupLayout().Find(list)->items; }

TEST(SetupLayout, TheListsOfferTheirItemsInOrder) {
    EXPECT_EQ(Join(ItemsOf("cboRotate")), "1 2 3 4 5 6 7 8 9 10 15 20 30 45 60");
    EXPECT_EQ(Join(ItemsOf("cboSoundOff")),
              "Never 1 2 3 4 5 10 15 20 30 45 60 90 120 180 240 300 360 420 480");
}

TEST(SetupButtons, EachButtonOfTheDialogDoesItsOneThing) {
    Dialog d;
    d.setup.Load();
    d.log.clear();
    d.Press("cmdColor");
    d.Press("cmdWebsite");
    d.Press("Command2");
    d.Press("cmdKeyboard");
    EXPECT_EQ(d.host.lastText,
              "KEYBOARD OPTIONS\r\n\r\nFor music, Press one of these keys to:\r\n\r\nN - Next "
              "Song\r\n\r\nP - Previous Song\r\n\r\nQ - Stop all music\r\n\r\nS - Start all "
              "music\r\n\r\n\r\n");
    d.Press("cmdAbout");
    for (const char* part : {HG_VERSION_TEXT, "https://www.tallowmere.example/",
                             "support@tallowmere.example", "Nowhereshire"})
        EXPECT_NE(d.host.lastText.find(part), std::string::npos) << part;
    d.Press("cmdOK");
    EXPECT_EQ(Join(d.log),
              "StartProcess(rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,3,5) "
              "OpenAddress(Hearthglow Screensaver by Tallowmere,https://www.tallowmere.example/) "
              "ShowHelp ShowMessage(Hearthglow) ShowMessage(About Hearthglow) "
              "Unload(Hearthglow Screensaver by Tallowmere)");
}

TEST(HelpWindow, TheLinkAsksTheShellEachTimeAndCloseUnloadsOnlyTheHelp) {
    CallLog log;
    FakeControls controls;
    FakeDialogHost host{log};
    Help help(controls, host);
    help.Load();
    const std::string text = controls.TextBoxOf(*help.Layout().Find("Text1")).Text();
    EXPECT_NE(text.find("N - next carol\r\nP - previous carol"), std::string::npos);
    EXPECT_EQ(text.find("\n\n"), std::string::npos) << "a line break without its return";
    help.Raise(*help.Layout().Find("cmdOnlineHelp"), Event::Click);
    help.Raise(*help.Layout().Find("cmdOnlineHelp"), Event::Click);
    help.Raise(*help.Layout().Find("Command1"), Event::Click);
    EXPECT_EQ(Join(log),
              "OpenAddress(Screensaver Help,https://www.tallowmere.example/support.htm) "
              "OpenAddress(Screensaver Help,https://www.tallowmere.example/support.htm) "
              "Unload(Screensaver Help)");
}

// A list set in the gap its label leaves in its caption meets the label, as it should.
bool MayOverlap(const ControlRow& a, const ControlRow& b) {
    return a.around == b.name || b.around == a.name;
}

TEST(SetupLayout, EveryControlLiesInsideItsContainerAndNoTwoControlsOverlap) {
    for (const FormLayout* form : {&SetupLayout(), &HelpLayout()}) {
        for (const ControlRow& row : form->rows) {
            if (row.kind == Kind::Page) continue;  // a page is its tabbed control's face
            const ControlRow* c = form->Container(row);
            Twips outer = c ? c->at : Twips{0, 0, form->clientWidth, form->clientHeight};
            EXPECT_TRUE(row.container.empty() || c) << row.QualifiedName() << " has no container";
            EXPECT_TRUE(row.at.left >= 0 && row.at.top >= 0 && row.at.Right() <= outer.width &&
                        row.at.Bottom() <= outer.height)
                << row.QualifiedName() << " reaches outside " << row.container;
        }
        for (const ControlRow& a : form->rows) {
            for (const ControlRow& b : form->rows) {
                if (&a >= &b || IsDrawn(a.kind) || IsDrawn(b.kind) || IsWindowContainer(a.kind) ||
                    IsWindowContainer(b.kind) || a.kind == Kind::TabStrip ||
                    b.kind == Kind::TabStrip || a.kind == Kind::Frame || b.kind == Kind::Frame ||
                    form->WindowParent(a) != form->WindowParent(b) || MayOverlap(a, b))
                    continue;
                Twips p = form->Placement(a), q = form->Placement(b);
                bool apart = p.Right() <= q.left || q.Right() <= p.left || p.Bottom() <= q.top ||
                             q.Bottom() <= p.top;
                EXPECT_TRUE(apart) << a.QualifiedName() << " overlaps " << b.QualifiedName();
            }
        }
    }
}

}  // namespace
}  // namespace hg::test
