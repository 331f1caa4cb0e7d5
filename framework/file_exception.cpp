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
        case EDQUOT:
            return "ディスクの使用量の上限を超えました。";
        case EMFILE:
            return "開いているファイルが多すぎます。";
        default:
            return nullptr;
    }
}

std::string Action(CFileException::Operation operation) {
    switch (operation) {
        case CFileException::Operation::OpenRead:
            return "を開けませんでした。";
        case CFileException::Operation::OpenWrite:
            return "を書き込み用に開けませんでした。";
        case CFileException::Operation::Read:
            return "を読み込めませんでした。";
        case CFileException::Operation::Write:
            return "に書き込めませんでした。";
        case CFileException::Operation::Close:
            return "を閉じられませんでした。";
    }
    return "を使えませんでした。";
}

}  // namespace

std::string DescribeOsError(int osError) {
    if (const char* reason = ReasonFor(osError)) {
        return reason;
    }
    return std::string(std::strerror(osError)) + "（エラー番号 " + std::to_string(osError) + "）";
}

std::string DescribeFileError(CFileException::Operation operation, const std::string& fileName,
                              int osError) {
    return "ファイル「" + fileName + "」" + Action(operation) + "\n" + DescribeOsError(osError);
}

CFileException::CFileException(Operation operation, std::string fileName, int osError)
    : CException(DescribeFileError(operation, fileName, osError)),
      m_operation(operation),
      m_strFileName(std::move(fileName)),
      m_lOsError(osError) {}
