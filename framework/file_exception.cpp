// Japanese wording of file errors and of the common system error numbers.
#include "framework/file_exception.h"

#include <cerrno>
#include <cstring>

namespace {

const char* ReasonFor(int osError) {
    switch (osError) {
        case ENOENT:
            return "ファイルまたはフォルダーが見つかりません。";
        case EACCES:
            return "アクセスが拒否されました。";
        case EPERM:
            return "この操作は許可されていません。";
        case ENOSPC:
            return "ディスクの空き容量が足りません。";
        case EISDIR:
            return "ファイルではなくフォルダーです。";
        case EROFS:
            return "読み取り専用のファイルシステムです。";
        case EIO:
            return "入出力エラーが発生しました。";
        case EEXIST:
            return "ファイルが既に存在します。";
        case ENOTDIR:
            return "パスの途中にフォルダーではないものがあります。";
        case ENAMETOOLONG:
            return "ファイル名が長すぎます。";
        case ELOOP:
            return "シンボリックリンクの階層が深すぎます。";
        case EFBIG:
            return "ファイルが大きすぎます。";
#ifdef EDQUOT
        case EDQUOT:
            return "ディスクの使用量の上限を超えました。";
#endif
        case EMFILE:
            return "開いているファイルが多すぎます。";
        case ENOMEM:
            return "メモリーが足りません。";
        default:
            return nullptr;
    }
}

const char* Action(pomuru::FileOperation operation) {
    using pomuru::FileOperation;
    switch (operation) {
        case FileOperation::OpenRead:
            return "を開けませんでした。";
        case FileOperation::OpenWrite:
            return "を書き込み用に開けませんでした。";
        case FileOperation::Identify:
            return "を確認できませんでした。";
        case FileOperation::Lock:
            return "を書き込み用に確保できませんでした。";
        case FileOperation::Read:
            return "を読み込めませんでした。";
        case FileOperation::Write:
            return "に書き込めませんでした。";
        case FileOperation::Truncate:
            return "を空にできませんでした。";
        case FileOperation::Close:
            return "を閉じられませんでした。";
    }
    return "を使えませんでした。";
}

// The system's reason in Japanese; strerror's text for numbers without one.
std::string DescribeOsError(int osError) {
    if (const char* reason = ReasonFor(osError)) {
        return reason;
    }
    return std::string(std::strerror(osError)) + "（エラー番号 " + std::to_string(osError) + "）";
}

}  // namespace

std::string DescribeFileError(const pomuru::FileError& error) {
    const std::string file = "ファイル「" + pomuru::Printable(error.FileName()) + "」";
    std::string text = error.IsBusy() ? file + "は、別の変換が書き込み中です。"
                                      : file + Action(error.Operation()) + "\n" +
                                            DescribeOsError(error.SystemError());
    if (error.CleanupError() != 0) {
        text += "\n「" + pomuru::Printable(error.CleanupFileName()) +
                "」を元に戻すこともできませんでした。\n" + DescribeOsError(error.CleanupError());
    }
    return text;
}

CFileException::CFileException(const pomuru::FileError& error)
    : CException(DescribeFileError(error)), m_error(error) {}
