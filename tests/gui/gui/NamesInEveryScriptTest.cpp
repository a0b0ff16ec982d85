// Names as people read them: lists sort in the order of the user's locale, and
// names in every script a directory holds are drawn with real glyphs.

#include "FormFixture.h"
#include "platform/NameOrder.h"
#include "users/ListItem.h"
#include "users/ListSort.h"

#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QTreeWidget>
#include <gtest/gtest.h>

using testing_gui::FormTest;

namespace {

QStringList sortedNames(const QStringList& names, int16_t order) {
    QTreeWidget list;
    list.setColumnCount(1);
    for (const QString& n : names) {
        auto* item = new users::ListItem;
        item->setText(0, n);
        list.addTopLevelItem(item);
    }
    users::sortList(&list, 0, order);
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i) out << list.topLevelItem(i)->text(0);
    return out;
}

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

TEST(NamesInEveryScript, ListsSortByTheLocaleNotByCodePoint) {
    const QString locale = platform::nameOrderLocale();
    if (!locale.startsWith("en"))
        GTEST_SKIP() << "the expected order is English's; names sort by " << locale.toStdString() << " here";
    const QStringList names{"Zoe Adams", "Örjan Holm", "Łukasz Nowak", "Åsa Berg", "oskar ek", "Anna Lind", "Lena Ek"};
    const QStringList ascending{"Anna Lind", "Åsa Berg", "Lena Ek", "Łukasz Nowak", "Örjan Holm", "oskar ek",
                                "Zoe Adams"};
    EXPECT_EQ(sortedNames(names, 0).join(" | ").toStdString(), ascending.join(" | ").toStdString());
}

TEST_F(FormTest, NamesInEveryScriptAreDrawnWithGlyphsInTheUserListsFont) {
    const QFont font = ui().ListView1->font();
    for (const char* name : {"Łukasz Ångström", "Αλέξανδρος Παπαδόπουλος", "Дмитрий Смирнов", "王秀英",
                             "山田 はなこ", "김민준"}) {
        const QString text = QString::fromUtf8(name);
        EXPECT_EQ(missingGlyphs(text, font).toStdString(), "") << name;
    }
}
