// Writes the window's resources as JSON for the page: the dialog templates, the control ids, every
// text the page shows (the run's captions, the framework's messages, the page's own), the
// captions' interval and the icon, so that nothing the page shares with the window is typed
// twice.
// page_texts OUTPUT.json (run under node at build time)
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "cipher/conversion_run.h"
#include "product.h"
#include "res/cipher_resources.h"
#include "res/edit_box_labels.h"
#include "res/resource.h"

namespace {

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string Base64(std::span<const std::uint8_t> bytes) {
    constexpr std::string_view kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        const std::uint32_t group =
            (bytes[i] << 16) | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= left ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return text;
}

std::string_view KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
            return "edit";
        case ControlKind::PushButton:
            return "button";
        case ControlKind::DefPushButton:
            return "defaultButton";
        case ControlKind::Label:
            return "label";
        case ControlKind::AutoCheckBox:
            return "checkBox";
        case ControlKind::Icon:
            return "icon";
    }
    return "label";
}

std::string Rect(const DialogRect& r) {
    return "[" + std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.cx) +
           "," + std::to_string(r.cy) + "]";
}

// An edit box's label, as the window names the box after it: its place among the controls.
std::string LabelledBy(const DialogTemplate& dialog, const DialogControl& control) {
    const auto label = EditBoxLabelIndex(dialog, control);
    return label ? ",\"labelledBy\":" + std::to_string(*label) : "";
}

std::string Template(const DialogTemplate& dialog) {
    std::string json = "{\"caption\":" + Quoted(dialog.caption) +
                       ",\"font\":" + Quoted(dialog.font.face) +
                       ",\"pointSize\":" + std::to_string(dialog.font.pointSize) +
                       ",\"rect\":" + Rect(dialog.rect) + ",\"controls\":[";
    for (const DialogControl& control : dialog.controls) {
        json += std::string(&control == dialog.controls.data() ? "" : ",") +
                "{\"kind\":" + Quoted(KindName(control.kind)) +
                ",\"id\":" + std::to_string(control.id) + ",\"text\":" + Quoted(control.text) +
                ",\"rect\":" + Rect(control.rect) + LabelledBy(dialog, control) + "}";
    }
    return json + "]}";
}

std::string Text(unsigned id) {
    return Quoted(CipherResources().FindString(id).value_or(""));
}

// "name":value pairs for an object.
std::string Members(std::initializer_list<std::pair<std::string_view, std::string>> members) {
    std::string json = "{";
    for (const auto& [name, value] : members) {
        json += (json.size() > 1 ? "," : "") + Quoted(name) + ":" + value;
    }
    return json + "}";
}

std::string Ids() {
    return Members({
        {"IDOK", std::to_string(IDOK)},
        {"IDC_SOURCE_PATH", std::to_string(IDC_SOURCE_PATH)},
        {"IDC_RUN", std::to_string(IDC_RUN)},
        {"IDC_CHOOSE_SOURCE", std::to_string(IDC_CHOOSE_SOURCE)},
        {"IDC_DEST_PATH", std::to_string(IDC_DEST_PATH)},
        {"IDC_CHOOSE_DEST", std::to_string(IDC_CHOOSE_DEST)},
        {"IDC_VALUE", std::to_string(IDC_VALUE)},
        {"IDC_STEP", std::to_string(IDC_STEP)},
        {"IDC_START", std::to_string(IDC_START)},
        {"IDC_SLIDE", std::to_string(IDC_SLIDE)},
        {"IDC_RANDOMIZE", std::to_string(IDC_RANDOMIZE)},
    });
}

// The window's words for a file that cannot be used: what could not be done with it ("%1" for
// its name), and the reasons the page can meet, by the system's name for them.
std::string FileErrors() {
    const auto reason = [](int error) { return Text(AFX_IDS_SYSTEM_ERROR + error); };
    return Members({
        {"read", Text(AFX_IDP_FILE_READ)},
        {"openWrite", Text(AFX_IDP_FILE_OPEN_WRITE)},
        {"write", Text(AFX_IDP_FILE_WRITE)},
        {"close", Text(AFX_IDP_FILE_CLOSE)},
        {"convert", Text(IDS_PAGE_CANNOT_CONVERT)},
        {"busy", Text(AFX_IDP_FILE_BUSY)},
        {"reasons", Members({{"ENOENT", reason(ENOENT)},
                             {"EACCES", reason(EACCES)},
                             {"ENOSPC", reason(ENOSPC)},
                             {"changed", Text(IDS_PAGE_FILE_CHANGED)}})},
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: page_texts OUTPUT.json\n", stderr);
        return 2;
    }
    const CResourceModule& resources = CipherResources();
    const std::string json =
        Members({
            {"productName", Quoted(POMURU_PRODUCT_NAME)},
            {"dialog", Template(*resources.FindDialog(IDD_CIPHER_DIALOG))},
            {"about", Template(*resources.FindDialog(IDD_ABOUTBOX))},
            {"ids", Ids()},
            {"aboutEntry", Text(IDS_ABOUTBOX)},
            {"runningCaption", Text(IDS_RUNNING_CAPTION)},
            {"waitCaption", Text(IDS_WAIT_CAPTION)},
            {"waitElsewhereCaption", Text(IDS_WAIT_ELSEWHERE_CAPTION)},
            {"captionInterval", std::to_string(pomuru::kCaptionInterval.count())},
            {"notAnInteger", Text(AFX_IDP_PARSE_INT)},
            {"cancel", Text(IDS_PAGE_CANCEL)},
            {"inMemory", Text(IDS_PAGE_IN_MEMORY)},
            {"needsScripts", Text(IDS_PAGE_NEEDS_SCRIPTS)},
            {"fileErrors", FileErrors()},
            {"search", Members({{"find", Text(IDS_PAGE_SEARCH_FIND)},
                                {"searching", Text(IDS_PAGE_SEARCH_SEARCHING)},
                                {"confirmed", Text(IDS_PAGE_SEARCH_CONFIRMED)},
                                {"probable", Text(IDS_PAGE_SEARCH_PROBABLE)},
                                {"several", Text(IDS_PAGE_SEARCH_SEVERAL)},
                                {"nothing", Text(IDS_PAGE_SEARCH_NOTHING)},
                                {"timedOut", Text(IDS_PAGE_SEARCH_TIMED_OUT)},
                                {"laterBeginnings", Text(IDS_PAGE_SEARCH_LATER_BEGINNINGS)},
                                {"settings", Text(IDS_PAGE_SEARCH_SETTINGS)},
                                {"randomized", Text(IDS_PAGE_SEARCH_RANDOMIZED)},
                                {"checksums", Text(IDS_PAGE_SEARCH_CHECKSUMS)},
                                {"structure", Text(IDS_PAGE_SEARCH_STRUCTURE)},
                                {"use", Text(IDS_PAGE_SEARCH_USE)}})},
            {"icon", Quoted(Base64(resources.FindIcon(IDR_MAINFRAME).front()))},
        }) +
        "\n";
    std::FILE* output = std::fopen(argv[1], "wb");
    if (output == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(json.data(), 1, json.size(), output) == json.size();
    if (std::fclose(output) != 0 || !written) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
