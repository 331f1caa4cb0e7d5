// The image behind an HICON on Qt: one QIcon with every size of the icon.
#pragma once

#include <QIcon>
#include <utility>

#include "framework/backend.h"

namespace afx_backend {

class IconImage {
public:
    explicit IconImage(QIcon icon) : icon_(std::move(icon)) {}
    const QIcon& Icon() const { return icon_; }

private:
    QIcon icon_;
};

}  // namespace afx_backend
