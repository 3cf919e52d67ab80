#include "main_window/window_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {
// Looked up once: asking the font database for a missing face at every size is
// what start-up would otherwise spend most of its time on.
QString gothicFamily()
{
    static const QString family = [] {
        for (const QString &candidate :
             {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")}) {
            if (QFontDatabase::hasFamily(candidate))
                return candidate;
        }
        return QString();
    }();
    return family;
}
} // namespace

QFont japaneseUiFont(int pixelSize)
{
    QFont font;
    if (!gothicFamily().isEmpty())
        font.setFamilies({gothicFamily()});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}
