// The dialog model: fresh design-time state on every show, option groups, list selection,
// change notification, the handler error barrier and the scripted user.

#include <gtest/gtest.h>

#include "core/forms/form.h"
#include "core/forms/scripted_presenter.h"
#include "tests/support/recording_ui.h"

namespace velmo::forms {
namespace {

using K = ControlKind;

FormDesign testDesign() {
  return {.name = u"frmTest",
          .caption = u"Test",
          .clientWidth = 3000,
          .clientHeight = 2000,
          .controls = {
              {.kind = K::Frame, .name = u"Frame1", .text = u"Kind"},
              {.kind = K::OptionButton, .name = u"opA1", .parent = u"Frame1", .value = true},
              {.kind = K::OptionButton, .name = u"opA2", .parent = u"Frame1"},
              {.kind = K::Frame, .name = u"Frame2", .text = u"Other"},
              {.kind = K::OptionButton, .name = u"opB1", .parent = u"Frame2", .value = true},
              {.kind = K::OptionButton, .name = u"opB2", .parent = u"Frame2"},
              {.kind = K::TextBox, .name = u"txtName", .text = u"default"},
              {.kind = K::ListBox, .name = u"lstItems"},
              {.kind = K::CommandButton, .name = u"cmdApply", .text = u"Apply"},
              {.kind = K::CommandButton, .name = u"cmdFail", .text = u"Fail"},
              {.kind = K::CommandButton, .name = u"cmdHide", .text = u"Hide"},
          }};
}

class TestForm : public Form {
 public:
  explicit TestForm(MessageBoxes& messages) : Form(testDesign(), messages) {
    on(u"cmdApply", Event::Click, [this] {
      control(u"txtName").setText(u"applied");
      control(u"lstItems").addItem(u"one");
      setCaption(u"Changed");
    });
    on(u"cmdFail", Event::Click, [this] {
      control(u"txtName").setText(u"half");
      throw HostError(hr::kFail, u"No page is open in the editor");
    });
    on(u"cmdHide", Event::Click, [this] { hide(); });
    on(u"opA2", Event::Click, [this] { control(u"txtName").setEnabled(false); });
    on(u"txtName", Event::Change, [this] { ++changes; });
  }
  int loads = 0;
  int changes = 0;
  bool failOnLoad = false;

 protected:
  void Form_Load() override {
    ++loads;
    control(u"Frame2").setEnabled(loads == 1);
    if (failOnLoad) throw HostError(hr::kFail, u"The page cannot be read");
  }
};

struct Recorder : FormObserver {
  std::vector<std::pair<std::u16string, Property>> changes;
  int formChanges = 0;
  int unloads = 0;
  int failures = 0;
  void controlChanged(Control& control, Property property) override {
    changes.emplace_back(control.name(), property);
  }
  void formChanged(Form&) override { ++formChanges; }
  void formUnloaded(Form&) override { ++unloads; }
  void handlerFailed(Form&, const HostError&) override { ++failures; }
};

class Forms : public ::testing::Test {
 protected:
  void show(std::vector<UserAction> actions) {
    presenter_.plan(u"frmTest", std::move(actions));
    form_.showModal(presenter_);
  }
  testing::RecordingMessageBoxes messages_;
  ScriptedPresenter presenter_;
  TestForm form_{messages_};
};

TEST_F(Forms, EveryShowStartsFromTheDesignAndRunsFormLoad) {
  show({UserAction::type(u"txtName", u"typed"), UserAction::click(u"opA2"),
        UserAction::click(u"cmdApply")});
  EXPECT_FALSE(form_.isLoaded());
  EXPECT_EQ(form_.control(u"txtName").text(), u"applied");  // what the user left there
  EXPECT_EQ(form_.caption(), u"Changed");
  EXPECT_EQ(form_.changes, 1);

  show({});
  EXPECT_EQ(form_.loads, 2);
  EXPECT_EQ(form_.caption(), u"Test");
  EXPECT_EQ(form_.control(u"txtName").text(), u"default");
  EXPECT_TRUE(form_.control(u"txtName").enabled());
  EXPECT_TRUE(form_.control(u"opA1").value());
  EXPECT_FALSE(form_.control(u"opA2").value());
  EXPECT_EQ(form_.control(u"lstItems").listCount(), 0);
  EXPECT_FALSE(form_.control(u"Frame2").enabled());  // this load's Form_Load
}

TEST_F(Forms, AnOptionClearsOnlyTheOtherOptionsOfItsContainer) {
  form_.load();
  form_.click(u"opA2");
  EXPECT_FALSE(form_.control(u"opA1").value());
  EXPECT_TRUE(form_.control(u"opA2").value());
  EXPECT_TRUE(form_.control(u"opB1").value());
  EXPECT_FALSE(form_.control(u"txtName").enabled());  // its Click handler ran
}

TEST_F(Forms, ObserversHearEachRealChangeOnce) {
  form_.load();
  Recorder recorder;
  form_.addObserver(recorder);
  Control& text = form_.control(u"txtName");
  text.setText(u"default");  // unchanged: no notice
  text.setText(u"x");
  text.setBackColour(rgb(255, 0, 0));
  text.setBackColour(rgb(255, 0, 0));
  form_.click(u"opA2");
  EXPECT_EQ(recorder.changes,
            (std::vector<std::pair<std::u16string, Property>>{{u"txtName", Property::Text},
                                                              {u"txtName", Property::BackColour},
                                                              {u"opA1", Property::Value},
                                                              {u"opA2", Property::Value},
                                                              {u"txtName", Property::Enabled}}));
  form_.setCaption(u"Other");
  form_.setCaption(u"Other");
  form_.unload();
  EXPECT_EQ(recorder.formChanges, 1);
  EXPECT_EQ(recorder.unloads, 1);
  form_.removeObserver(recorder);
}

TEST_F(Forms, ListSelectionFollowsItsItem) {
  form_.load();
  Control& list = form_.control(u"lstItems");
  for (auto item : {u"a", u"b", u"c"}) list.addItem(item);
  const struct {
    const char* what;
    std::function<void()> change;
    int selected;
    std::u16string text;
  } steps[] = {
      {"select b", [&] { list.setListIndex(1); }, 1, u"b"},
      {"insert before", [&] { list.addItem(u"z", 0); }, 2, u"b"},
      {"append", [&] { list.addItem(u"d"); }, 2, u"b"},
      {"remove before", [&] { list.removeItem(0); }, 1, u"b"},
      {"remove after", [&] { list.removeItem(2); }, 1, u"b"},
      {"remove selected", [&] { list.removeItem(1); }, -1, u""},
  };
  for (const auto& step : steps) {
    step.change();
    EXPECT_EQ(list.listIndex(), step.selected) << step.what;
    EXPECT_EQ(list.selectedText(), step.text) << step.what;
  }
  EXPECT_THROW(list.setListIndex(list.listCount()), std::out_of_range);
  EXPECT_THROW(list.removeItem(-1), std::out_of_range);
}

TEST_F(Forms, RemovingTheLastSelectedItemReportsTheSelectionChange) {
  form_.load();
  Control& list = form_.control(u"lstItems");
  list.addItem(u"a");
  list.addItem(u"b");
  list.setListIndex(1);
  Recorder recorder;
  form_.addObserver(recorder);
  list.removeItem(1);
  EXPECT_EQ(recorder.changes,
            (std::vector<std::pair<std::u16string, Property>>{{u"lstItems", Property::Items},
                                                              {u"lstItems", Property::ListIndex}}));
  form_.removeObserver(recorder);
}

TEST_F(Forms, AHostErrorInAHandlerIsShownAndTheFormStaysOpen) {
  Recorder recorder;
  form_.addObserver(recorder);
  show({UserAction::click(u"cmdFail")});
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, u"No page is open in the editor");
  EXPECT_EQ(messages_.shown[0].title, u"Velmopro");
  EXPECT_EQ(messages_.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(recorder.failures, 1);
  const ShowReport report = *presenter_.report(u"frmTest");
  EXPECT_FALSE(report.closedByForm);  // the user had to close it
  ASSERT_TRUE(report.failure);
  EXPECT_EQ(report.failure->description(), u"No page is open in the editor");
  EXPECT_EQ(form_.control(u"txtName").text(), u"half");
  form_.removeObserver(recorder);
}

TEST_F(Forms, AFailedLoadIsReportedAndStopsTheScriptedUser) {
  form_.failOnLoad = true;
  presenter_.stopAtFirstFailure(true);
  show({UserAction::click(u"cmdApply")});
  const ShowReport report = *presenter_.report(u"frmTest");
  ASSERT_TRUE(report.failure);
  EXPECT_EQ(report.failure->description(), u"The page cannot be read");
  EXPECT_EQ(form_.control(u"txtName").text(), u"default");

  form_.failOnLoad = false;
  show({UserAction::click(u"cmdApply")});
  EXPECT_FALSE(presenter_.report(u"frmTest")->failure) << "a new load starts clean";
  EXPECT_EQ(form_.control(u"txtName").text(), u"applied");
}

TEST_F(Forms, HidingEndsAModalShow) {
  show({UserAction::click(u"cmdHide"), UserAction::click(u"cmdApply")});
  EXPECT_TRUE(form_.isLoaded());
  EXPECT_FALSE(form_.isVisible());
  EXPECT_TRUE(presenter_.report(u"frmTest")->closedByForm);
  EXPECT_EQ(form_.control(u"txtName").text(), u"default");  // Apply came after the end
}

TEST_F(Forms, TheScriptedUserCannotReachDisabledOrHiddenControls) {
  // Frame2 is enabled on the first load only, so its options are out of reach from the second.
  show({});
  for (auto actions : std::vector<std::vector<UserAction>>{
           {UserAction::click(u"opB2")},
           {UserAction::click(u"opA2"), UserAction::type(u"txtName", u"x")}}) {
    EXPECT_THROW(show(actions), HostError);
    EXPECT_FALSE(form_.isLoaded());
  }
  EXPECT_THROW(form_.click(u"nope"), std::out_of_range);
}

TEST_F(Forms, AHandlerForAControlTheDesignLacksStopsTheFormsConstruction) {
  class Misspelt : public Form {
   public:
    explicit Misspelt(MessageBoxes& messages) : Form(testDesign(), messages) {
      on(u"cmdApply", Event::Click, [] {});
      on(u"cmdAplly", Event::Click, [] {});
    }
  };
  try {
    Misspelt form(messages_);
    FAIL() << "constructed";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "form frmTest has no control cmdAplly for a handler");
  }
}

// A user control that records what reaches it.
struct Gadget : UserControl {
  explicit Gadget(int* alive) : alive(alive) { ++*alive; }
  ~Gadget() override { --*alive; }
  std::vector<const Control*> children() const override { return {&knob}; }
  void onChildChanged(Control::ChangeHandler) override {}
  OleColour surfaceColour() const override { return rgb(1, 2, 3); }
  void mouseDown(const Control&, MouseButton button) override { presses.push_back(button); }
  Pointer pointerOver(const Control&) const override { return {}; }
  int* alive;
  Control knob{ControlDesign{.name = u"knob"}, {}};
  std::vector<MouseButton> presses;
};

class GadgetForm : public Form {
 public:
  explicit GadgetForm(MessageBoxes& messages)
      : Form({.name = u"frmGadget",
              .controls = {{.kind = K::UserControl, .name = u"Gadget1"},
                           {.kind = K::Label, .name = u"Label1"}}},
             messages) {}
  int alive = 0;
  using Form::host;

 protected:
  void Form_Load() override { host(u"Gadget1", std::make_unique<Gadget>(&alive)); }
};

TEST(UserControls, EachLoadHostsItsOwnAndOnlyOnTheDesignsUserControls) {
  testing::RecordingMessageBoxes messages;
  GadgetForm form(messages);
  EXPECT_EQ(form.userControl(u"Gadget1"), nullptr);  // not loaded yet
  form.load();
  UserControl* first = form.userControl(u"Gadget1");
  ASSERT_NE(first, nullptr);
  first->mouseDown(*first->children().at(0), MouseButton::Right);
  EXPECT_EQ(static_cast<Gadget*>(first)->presses, std::vector<MouseButton>{MouseButton::Right});
  form.unload();
  EXPECT_EQ(form.userControl(u"Gadget1"), first);  // kept until the next load, as controls are
  form.load();
  EXPECT_EQ(form.alive, 1);  // the last load's object is gone
  EXPECT_EQ(form.userControl(u"Label1"), nullptr);

  EXPECT_THROW(form.host(u"Label1", std::make_unique<Gadget>(&form.alive)), std::out_of_range);
  EXPECT_THROW(form.host(u"Gadget2", std::make_unique<Gadget>(&form.alive)), std::out_of_range);
  EXPECT_EQ(form.alive, 1);
}

}  // namespace
}  // namespace velmo::forms
