// Writes the window's resources as JSON for the page: the two dialog templates, the About entry's
// text, the run's captions and the icon, so that the page shows the window's own texts.
// page_texts OUTPUT.json (run under node at build time)
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "cipher/status_captions.h"
#include "product.h"
#include "res/cipher_resources.h"
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

std::string Template(const DialogTemplate& dialog) {
    std::string json = "{\"caption\":" + Quoted(dialog.caption) +
                       ",\"font\":" + Quoted(dialog.font.face) +
                       ",\"pointSize\":" + std::to_string(dialog.font.pointSize) +
                       ",\"rect\":" + Rect(dialog.rect) + ",\"controls\":[";
    for (const DialogControl& control : dialog.controls) {
        json += std::string(&control == dialog.controls.data() ? "" : ",") +
                "{\"kind\":" + Quoted(KindName(control.kind)) +
                ",\"id\":" + std::to_string(control.id) + ",\"text\":" + Quoted(control.text) +
                ",\"rect\":" + Rect(control.rect) + "}";
    }
    return json + "]}";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: page_texts OUTPUT.json\n", stderr);
        return 2;
    }
    const CResourceModule& resources = CipherResources();
    const std::string json =
        "{\"productName\":" + Quoted(POMURU_PRODUCT_NAME) +
        ",\"dialog\":" + Template(*resources.FindDialog(IDD_CIPHER_DIALOG)) +
        ",\"about\":" + Template(*resources.FindDialog(IDD_ABOUTBOX)) +
        ",\"aboutEntry\":" + Quoted(resources.FindString(IDS_ABOUTBOX).value_or("")) +
        ",\"runningCaption\":" + Quoted(pomuru::kRunningCaption) +
        ",\"waitCaption\":" + Quoted(pomuru::kWaitCaption) +
        ",\"waitElsewhereCaption\":" + Quoted(pomuru::kWaitElsewhereCaption) +
        ",\"icon\":" + Quoted(Base64(resources.FindIcon(IDR_MAINFRAME).front())) + "}\n";
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
