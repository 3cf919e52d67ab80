#include "common/window_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace {
// A family the database lists once per foundry shows as "Family [Foundry]".
bool isInstalled(const QStringList &installed, const QString &family)
{
    const QString withFoundry = family + QStringLiteral(" [");
    return std::any_of(installed.cbegin(), installed.cend(), [&](const QString &name) {
        return name.compare(family, Qt::CaseInsensitive) == 0 || name.startsWith(withFoundry, Qt::CaseInsensitive);
    });
}

// Looked up once: asking the font database for a missing face at every size is
// what start-up would otherwise spend most of its time on. Looked up in the list
// of installed families: asking for each candidate by name makes the font
// configuration resolve it as an alias first, a millisecond apiece.
QString gothicFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString &candidate :
             {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")}) {
            if (isInstalled(installed, candidate))
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
