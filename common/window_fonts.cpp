#include "common/window_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

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

QFont condensedToFit(const QFont &font, const QString &text, int width)
{
    // Below about half its width a face is no longer readable; past that the
    // caption is cut rather than squeezed further.
    constexpr int kNarrowest = 50;
    // Measured as a label sizes itself: the advance rounded up to whole pixels.
    const auto widthIn = [&](const QFont &face) { return QFontMetrics(face).size(Qt::TextSingleLine, text).width(); };
    QFont fitted = font;
    const int natural = widthIn(font);
    if (natural <= width || natural == 0)
        return fitted;
    // In steps of 5 from the proportional guess: captions that need about the same
    // narrowing share one condensed face, which start-up pays for only once.
    constexpr int kStep = 5;
    const int base = font.stretch() > 0 ? font.stretch() : 100;
    for (int stretch = std::max(kNarrowest, base * width / natural / kStep * kStep); stretch >= kNarrowest;
         stretch -= kStep) {
        fitted.setStretch(stretch);
        if (widthIn(fitted) <= width)
            break;
    }
    return fitted;
}
