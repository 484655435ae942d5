#pragma once

#include <QFont>

namespace tallix {

// The windows are designed with the Windows face "ＭＳ Ｐゴシック"; elsewhere the nearest installed
// Japanese Gothic stands in.
QFont designGothicFont(int pixelSize);

} // namespace tallix
