// The string table, the icons and the dialog templates by id.
#include "res/cipher_resources.h"

#include <algorithm>
#include <cerrno>
#include <span>

#include "product.h"
#include "res/dialog_templates.h"
#include "res/icon_images.h"
#include "res/resource.h"

namespace {

struct TextResource {
    unsigned id;
    std::string_view text;
};

constexpr TextResource kStringTable[] = {
    {IDS_ABOUTBOX, POMURU_PRODUCT_NAME " のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {IDS_RUNNING_CAPTION, "実行中（‐,‐)ヽ"},
    {IDS_WAIT_CAPTION, "しばらくの間、お待ち下さい。(⌒∇⌒）"},
    {IDS_WAIT_ELSEWHERE_CAPTION, "別の事をして、お待ち下さい。(´～｀）"},
    {IDS_SOURCE_FILTER,
     "全て(*.*)|*.*|ﾃｷｽﾄ(*.txt)|*.txt|ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|実行ファイル(*.exe)|*.exe||"},
    {IDS_DEST_FILTER,
     "消えても良いファイル(*.*)|*.*|ﾃｷｽﾄ(*.txt)|*.txt|ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|実行ファイル(*.exe)|*."
     "exe||"},
    {IDS_ONE_FILE_ONLY, "ファイルは１つだけ指定してください。"},
    {IDS_EMPTY_DROPPED_DEST,
     "「%1」を保存用ファイルにすると、中身はすぐに消えます。\n消えても良いファイルですか？"},
    // The page's own, beyond the window: its cancel button, a failure of its own, its note on a
    // browser that holds the result in memory, and what it says of a file that changed after it
    // was picked.
    {IDS_PAGE_CANCEL, "キャンセル"},
    {IDS_PAGE_CANNOT_CONVERT, "ファイル「%1」を変換できませんでした。"},
    {IDS_PAGE_NEEDS_SCRIPTS, "このページは JavaScript を使います。"},
    {IDS_PAGE_IN_MEMORY, "このブラウザーでは、変換結果をダウンロードまでメモリーに置きます。"},
    {IDS_PAGE_SEARCH_FIND, "設定を探す"},
    {IDS_PAGE_SEARCH_SEARCHING, "変換前ファイルを元に戻す設定を探しています（最長 %1 秒）…"},
    {IDS_PAGE_SEARCH_CONFIRMED, "設定が見つかりました。"},
    {IDS_PAGE_SEARCH_PROBABLE, "設定が見つかりましたが、推定です。"},
    {IDS_PAGE_SEARCH_SEVERAL, "%1 通りの設定が合い、それぞれ違う結果になります。"},
    {IDS_PAGE_SEARCH_NOTHING, "元に戻せる設定は見つかりませんでした。"},
    {IDS_PAGE_SEARCH_TIMED_OUT, "%1 秒で打ち切りました。"},
    {IDS_PAGE_SEARCH_LATER_BEGINNINGS,
     "変換の始まる位置が分からないため、最も早いものを示します（ほかに %1 通り）。"},
    {IDS_PAGE_SEARCH_SETTINGS, "数値 %1　ステップ %2　開始場所 %3　すべり %4"},
    {IDS_PAGE_SEARCH_RANDOMIZED, "　乱数化"},
    {IDS_PAGE_SEARCH_CHECKSUMS, "%1 のチェックサム %2 個で確認"},
    {IDS_PAGE_SEARCH_STRUCTURE, "%1 の構造に合う（推定）"},
    {IDS_PAGE_SEARCH_USE, "この設定を使う"},
    {IDS_PAGE_FILE_CHANGED,
     "ファイルを読めません。選んだ後に変更されたか、移動された可能性があります。"},

    // The framework's texts.
    {AFX_IDP_PARSE_INT, "整数を入力してください。"},
    {AFX_IDP_COMMAND_FAILED, "処理を続けられませんでした。\n%1"},
    {AFX_IDP_NO_HELP, "このプログラムにはヘルプがありません。"},
    {AFX_IDP_NO_TEMPLATE, "ダイアログ %1 のテンプレートがありません。"},
    {AFX_IDP_FILE_OPEN_READ, "ファイル「%1」を開けませんでした。"},
    {AFX_IDP_FILE_OPEN_WRITE, "ファイル「%1」を書き込み用に開けませんでした。"},
    {AFX_IDP_FILE_IDENTIFY, "ファイル「%1」を確認できませんでした。"},
    {AFX_IDP_FILE_LOCK, "ファイル「%1」を書き込み用に確保できませんでした。"},
    {AFX_IDP_FILE_READ, "ファイル「%1」を読み込めませんでした。"},
    {AFX_IDP_FILE_WRITE, "ファイル「%1」に書き込めませんでした。"},
    {AFX_IDP_FILE_TRUNCATE, "ファイル「%1」を空にできませんでした。"},
    {AFX_IDP_FILE_CLOSE, "ファイル「%1」を閉じられませんでした。"},
    {AFX_IDP_FILE_BUSY, "ファイル「%1」は、別の変換が書き込み中です。"},
    {AFX_IDP_FILE_CLEANUP, "「%1」を元に戻すこともできませんでした。"},
    {AFX_IDS_UNKNOWN_ERROR, "%1（エラー番号 %2）"},
    {AFX_IDS_SCCLOSE, "閉じる(&C)"},
    {AFX_IDS_BUSY_REASON, "変換中です"},
    {AFX_IDS_SYSTEM_ERROR + ENOENT, "ファイルまたはフォルダーが見つかりません。"},
    {AFX_IDS_SYSTEM_ERROR + EACCES, "アクセスが拒否されました。"},
    {AFX_IDS_SYSTEM_ERROR + EPERM, "この操作は許可されていません。"},
    {AFX_IDS_SYSTEM_ERROR + ENOSPC, "ディスクの空き容量が足りません。"},
    {AFX_IDS_SYSTEM_ERROR + EISDIR, "ファイルではなくフォルダーです。"},
    {AFX_IDS_SYSTEM_ERROR + EROFS, "読み取り専用のファイルシステムです。"},
    {AFX_IDS_SYSTEM_ERROR + EIO, "入出力エラーが発生しました。"},
    {AFX_IDS_SYSTEM_ERROR + EEXIST, "ファイルが既に存在します。"},
    {AFX_IDS_SYSTEM_ERROR + ENOTDIR, "パスの途中にフォルダーではないものがあります。"},
    {AFX_IDS_SYSTEM_ERROR + ENAMETOOLONG, "ファイル名が長すぎます。"},
    {AFX_IDS_SYSTEM_ERROR + ELOOP, "シンボリックリンクの階層が深すぎます。"},
    {AFX_IDS_SYSTEM_ERROR + EFBIG, "ファイルが大きすぎます。"},
#ifdef EDQUOT
    {AFX_IDS_SYSTEM_ERROR + EDQUOT, "ディスクの使用量の上限を超えました。"},
#endif
    {AFX_IDS_SYSTEM_ERROR + EMFILE, "開いているファイルが多すぎます。"},
    {AFX_IDS_SYSTEM_ERROR + ENOMEM, "メモリーが足りません。"},
};

std::optional<std::string_view> Find(std::span<const TextResource> table, unsigned id) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [id](const TextResource& entry) { return entry.id == id; });
    return found != table.end() ? std::optional(found->text) : std::nullopt;
}

}  // namespace

const DialogTemplate* CCipherResources::FindDialog(unsigned id) const {
    switch (id) {
        case IDD_ABOUTBOX:
            return &AboutDialogTemplate();
        case IDD_CIPHER_DIALOG:
            return &CipherDialogTemplate();
        default:
            return nullptr;
    }
}

std::optional<std::string_view> CCipherResources::FindString(unsigned id) const {
    return Find(kStringTable, id);
}

std::vector<std::span<const std::uint8_t>> CCipherResources::FindIcon(unsigned id) const {
    if (id == IDR_MAINFRAME) {
        return {MainframeIcon32(), MainframeIcon16()};
    }
    return {};
}

const CResourceModule& CipherResources() {
    static const CCipherResources resources;
    return resources;
}
