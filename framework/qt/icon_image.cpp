// Icons decoded from the image files of an icon resource.
#include "framework/qt/icon_image.h"

#include <QPixmap>

namespace afx_backend {

IconPtr IconFromPngs(std::span<const std::span<const std::uint8_t>> images) {
    QIcon icon;
    for (const auto image : images) {
        QPixmap pixmap;
        if (pixmap.loadFromData(image.data(), static_cast<unsigned>(image.size()))) {
            icon.addPixmap(pixmap);
        }
    }
    if (icon.isNull()) {
        return nullptr;
    }
    return std::make_shared<const IconImage>(std::move(icon));
}

// A Linux program file carries no icons: the images embedded in the program are used.
IconPtr IconFromProgramFile(unsigned /*resourceId*/) {
    return nullptr;
}

}  // namespace afx_backend
