// The dialog templates as constant data, in dialog units and template (tab) order.
#include "res/dialog_templates.h"

#include "product.h"
#include "res/resource.h"

namespace {

using enum ControlKind;

constexpr std::uint32_t kEditStyle = WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;

constexpr DialogControl kCipherControls[] = {
    {Edit, IDC_SOURCE_PATH, "", {7, 7, 145, 16}, kEditStyle},
    {PushButton, IDC_RUN, "プログラム実行", {7, 59, 50, 14}, WS_TABSTOP},
    {PushButton, IDC_CHOOSE_SOURCE, "変換前ファイルの設定", {160, 9, 84, 14}, WS_TABSTOP},
    {Label, IDC_STATIC, "変換前ファイルの設定", {7, 0, 66, 8}, 0},
    {Edit, IDC_DEST_PATH, "", {7, 34, 145, 16}, kEditStyle},
    {Label, IDC_STATIC, "保存用ファイル設定", {7, 25, 59, 8}, 0},
    {PushButton, IDC_CHOOSE_DEST, "保存用ファイルの設定", {160, 33, 84, 14}, WS_TABSTOP},
    {Edit, IDC_VALUE, "", {71, 59, 15, 14}, kEditStyle},
    {Label, IDC_STATIC, "数値", {71, 51, 15, 8}, 0},
    {Edit, IDC_STEP, "", {94, 59, 15, 14}, kEditStyle},
    {Label, IDC_STATIC, "ステップ", {90, 52, 25, 8}, 0},
    {Edit, IDC_START, "", {121, 59, 15, 14}, kEditStyle},
    {Label, IDC_STATIC, "開始場所", {116, 51, 28, 8}, 0},
    {Edit, IDC_SLIDE, "", {148, 59, 15, 14}, kEditStyle},
    {Label, IDC_STATIC, "すべり", {146, 51, 20, 8}, 0},
    {AutoCheckBox, IDC_RANDOMIZE, "乱数化（数値範囲）", {173, 57, 71, 10}, WS_TABSTOP},
};

constexpr DialogTemplate kCipherDialog{
    POMURU_PRODUCT_NAME "　＼（⌒∇⌒）／",
    {"ＭＳ Ｐゴシック", 9},
    {0, 0, 251, 79},
    DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
    WS_EX_APPWINDOW,
    kCipherControls,
};

constexpr DialogControl kAboutControls[] = {
    {Icon, IDC_STATIC, "", {11, 17, 20, 20}, 0, IDR_MAINFRAME},
    {Label, IDC_STATIC, POMURU_PRODUCT_NAME " ver." POMURU_VERSION, {40, 10, 119, 8}, SS_NOPREFIX},
    {DefPushButton, IDOK, "OK", {178, 7, 50, 14}, WS_TABSTOP | WS_GROUP},
    {Label, IDC_STATIC, POMURU_AUTHORS, {39, 20, 90, 8}, 0},
    {Label, IDC_STATIC, "2002 1/27 11:40", {49, 29, 48, 8}, 0},
};

constexpr DialogTemplate kAboutDialog{
    POMURU_PRODUCT_NAME "について・・・",
    {"ＭＳ Ｐゴシック", 9},
    {0, 0, 235, 55},
    DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    0,
    kAboutControls,
};

}  // namespace

const DialogTemplate& CipherDialogTemplate() {
    return kCipherDialog;
}

const DialogTemplate& AboutDialogTemplate() {
    return kAboutDialog;
}
