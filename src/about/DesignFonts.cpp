#include "about/DesignFonts.h"

#include <QStringList>

namespace tallix {

QFont designGothicFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace tallix
