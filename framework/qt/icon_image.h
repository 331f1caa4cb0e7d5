// The image behind an HICON.
#pragma once

#include <QIcon>

namespace afx_qt {

class IconImage {
public:
    explicit IconImage(QIcon icon) : icon_(std::move(icon)) {}
    const QIcon& Icon() const { return icon_; }

private:
    QIcon icon_;
};

}  // namespace afx_qt
