// The string table, the icons and the dialog templates by id.
#include "res/cipher_resources.h"

#include <algorithm>
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
