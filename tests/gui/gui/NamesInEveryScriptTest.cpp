// Names in every script a directory holds are drawn with real glyphs (the order
// they sort in is users_sort.cpp's).

#include "FormFixture.h"

#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <gtest/gtest.h>

using testing_gui::FormTest;

namespace {

// The characters of `text` that no font drawing it with `font` has a glyph for.
QString missingGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0) missing += QStringLiteral("<notdef in %1>").arg(raw.familyName());
    }
    for (const uint c : text.toUcs4()) {
        if (QChar::isSpace(c)) continue;
        bool covered = false;
        for (const QGlyphRun& run : layout.glyphRuns()) covered = covered || run.rawFont().supportsCharacter(c);
        if (!covered) missing += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    }
    return missing;
}

}  // namespace

TEST_F(FormTest, NamesInEveryScriptAreDrawnWithGlyphsInTheUserListsFont) {
    const QFont font = ui().ListView1->font();
    for (const char* name : {"Łukasz Ångström", "Αλέξανδρος Παπαδόπουλος", "Дмитрий Смирнов", "王秀英",
                             "山田 はなこ", "김민준"}) {
        const QString text = QString::fromUtf8(name);
        EXPECT_EQ(missingGlyphs(text, font).toStdString(), "") << name;
    }
}
