// One check class per kind.
#include "recovery/structure_checks.h"

#include "recovery/gif_check.h"
#include "recovery/jpeg_check.h"
#include "recovery/mp3_check.h"
#include "recovery/pdf_check.h"
#include "recovery/png_check.h"
#include "recovery/wav_check.h"
#include "recovery/zip_check.h"

namespace pomuru::recovery {

std::unique_ptr<StructureCheck> MakeCheck(FileKind kind, bool endKnown) {
    switch (kind) {
        case FileKind::Png:
            return std::make_unique<PngCheck>();
        case FileKind::Zip:
            return std::make_unique<ZipCheck>(!endKnown);
        case FileKind::Jpeg:
            return std::make_unique<JpegCheck>();
        case FileKind::Pdf:
            return std::make_unique<PdfCheck>();
        case FileKind::Gif:
            return std::make_unique<GifCheck>();
        case FileKind::Wav:
            return std::make_unique<WavCheck>();
        case FileKind::Mp3:
            break;
    }
    return std::make_unique<Mp3Check>();
}

}  // namespace pomuru::recovery
