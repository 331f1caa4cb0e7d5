// The captions a run shows in the dialog's title bar, and the dialog's own caption.
#pragma once

#include "product.h"

namespace pomuru {

inline constexpr const char* kRunningCaption = "実行中（‐,‐)ヽ";
inline constexpr const char* kWaitCaption = "しばらくの間、お待ち下さい。(⌒∇⌒）";
inline constexpr const char* kWaitElsewhereCaption = "別の事をして、お待ち下さい。(´～｀）";
inline constexpr const char* kDialogCaption = POMURU_PRODUCT_NAME "　＼（⌒∇⌒）／";

}  // namespace pomuru
