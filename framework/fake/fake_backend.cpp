// The framework's backend without a window system; see fake_backend.h.
#include "framework/fake/fake_backend.h"

#include <deque>
#include <map>
#include <utility>

#include "framework/backend.h"
#include "framework/dialog_template.h"
#include "framework/win_defs.h"

namespace afx_fake {

namespace {

// What the tests set and read; one test thread drives it.
struct World {
    std::function<void(Dialog&)> script;
    std::function<void(Dialog&)> captionScript;
    std::vector<std::string> messages;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> choices;
};

World& TheWorld() {
    static World world;
    return world;
}

class FakeWindow final : public afx_backend::DialogWindow, public Dialog {
public:
    FakeWindow(const DialogTemplate& dialogTemplate, afx_backend::WindowEvents& events)
        : events_(events), caption_(dialogTemplate.caption), shown_{caption_} {
        for (const DialogControl& control : dialogTemplate.controls) {
            texts_[control.id] = std::string(control.text);
            if (control.kind == ControlKind::AutoCheckBox) {
                checked_[control.id] = false;
            }
            if (firstTabStop_ == 0 && (control.style & WS_TABSTOP) != 0) {
                firstTabStop_ = control.id;
            }
        }
    }

    int Run() {
        if (events_.OnInit(*this)) {
            focus_ = firstTabStop_;
        }
        for (const int id : std::exchange(posted_, {})) {
            events_.OnCommand(id);
        }
        if (TheWorld().script) {
            TheWorld().script(*this);
        }
        if (!ended_) {
            events_.OnCommand(IDCANCEL);
        }
        return result_;
    }

    // What the framework does to the window.
    void EndModal(int result) override {
        ended_ = true;
        result_ = result;
    }
    void SetCaption(std::string_view text) override {
        caption_ = text;
        shown_.push_back(caption_);
        if (TheWorld().captionScript) {
            TheWorld().captionScript(*this);
        }
    }
    std::string ControlText(int id) const override {
        const auto found = texts_.find(id);
        return found != texts_.end() ? found->second : std::string();
    }
    void SetControlText(int id, std::string_view text) override {
        texts_[id] = text;
        if (shown_.back() != kBoxes) {
            shown_.emplace_back(kBoxes);
        }
    }
    bool IsChecked(int id) const override {
        const auto found = checked_.find(id);
        return found != checked_.end() && found->second;
    }
    void FocusControl(int id) override { focus_ = id; }
    void SetIcons(const afx_backend::IconImage*, const afx_backend::IconImage*) override {}
    void AcceptFiles(bool accept) override { acceptsFiles_ = accept; }
    void PostCommand(int id) override { posted_.push_back(id); }
    void SetProgress(afx_backend::ProgressState state, std::uint64_t completed,
                     std::uint64_t total) override {
        constexpr const char* kStates[] = {"none", "indeterminate", "normal", "error"};
        // Appended piece by piece, clear of GCC 12's false -Wrestrict.
        std::string shown = "progress ";
        shown += kStates[static_cast<int>(state)];
        if (state == afx_backend::ProgressState::Normal ||
            state == afx_backend::ProgressState::Error) {
            shown.append(" ").append(std::to_string(completed));
            shown.append("/").append(std::to_string(total));
        }
        shown_.push_back(shown);
    }

    // What the script does to it.
    std::string Caption() const override { return caption_; }
    std::vector<std::string> Shown() const override { return shown_; }
    std::string Text(int id) const override { return ControlText(id); }
    void Type(int id, const std::string& text) override { texts_[id] = text; }
    void Click(int id) override {
        if (const auto box = checked_.find(id); box != checked_.end()) {
            box->second = !box->second;
            return;
        }
        events_.OnCommand(id);
    }
    void SysCommand(unsigned id) override { events_.OnSysCommand(id); }
    void Drop(int id, std::vector<std::string> files) override {
        if (acceptsFiles_) {
            events_.OnDropFiles(std::move(files), id);
        }
    }
    std::vector<std::string> WindowMenu() const override {
        std::vector<std::string> items;
        for (const auto& item : events_.WindowMenuItems()) {
            items.push_back(item.separator ? "-" : item.text);
        }
        return items;
    }
    int Focus() const override { return focus_; }
    bool Ended() const override { return ended_; }

private:
    afx_backend::WindowEvents& events_;
    std::string caption_;
    std::vector<std::string> shown_;
    std::map<int, std::string> texts_;
    std::map<int, bool> checked_;
    int firstTabStop_ = 0;
    int focus_ = 0;
    bool acceptsFiles_ = false;
    std::vector<int> posted_;
    bool ended_ = false;
    int result_ = -1;
};

}  // namespace

void SetScript(std::function<void(Dialog&)> script) {
    TheWorld().script = std::move(script);
}

void SetCaptionScript(std::function<void(Dialog&)> script) {
    TheWorld().captionScript = std::move(script);
}

void QueueAnswer(bool yes) {
    TheWorld().answers.push_back(yes);
}

std::vector<std::string> TakeMessages() {
    return std::exchange(TheWorld().messages, {});
}

void QueueChoice(std::optional<std::string> path) {
    TheWorld().choices.push_back(std::move(path));
}

}  // namespace afx_fake

namespace afx_backend {

class IconImage {};

int RunApplication(int&, char**, const ApplicationOptions&, const std::function<int()>& body) {
    return body();
}

std::string ExecutableName() {
    return "fake";
}

void RunEventLoop() {}

IconPtr IconFromPngs(std::span<const std::span<const std::uint8_t>> images) {
    return images.empty() ? nullptr : std::make_shared<const IconImage>();
}

IconPtr IconFromProgramFile(unsigned) {
    return nullptr;
}

int RunModalDialog(const DialogTemplate& dialogTemplate, WindowEvents& events, DialogWindow*) {
    afx_fake::FakeWindow window(dialogTemplate, events);
    return window.Run();
}

bool ShowMessage(std::string_view caption, std::string_view text, MessageIcon,
                 MessageButtons buttons) {
    auto& world = afx_fake::TheWorld();
    world.messages.push_back(std::string(caption) + ": " + std::string(text));
    if (buttons == MessageButtons::Ok || world.answers.empty()) {
        return false;
    }
    const bool yes = world.answers.front();
    world.answers.pop_front();
    return yes;
}

std::optional<std::string> ChooseFile(const FileChooserRequest&) {
    auto& choices = afx_fake::TheWorld().choices;
    if (choices.empty()) {
        return std::nullopt;
    }
    auto choice = std::move(choices.front());
    choices.pop_front();
    return choice;
}

}  // namespace afx_backend
